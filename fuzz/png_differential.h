#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Decodes PNG files with our reader and with libspng, an independent reader used in tests only,
// into the same form so that their samples can be compared.
namespace quiltmap::pngdiff {

// Red, green, blue and alpha of every pixel, row by row, 8 bits each.
struct Samples
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rgba;

    bool operator==(const Samples &) const = default;
};

// A reader's verdict: the samples, or the reason it refused the file.
struct Decoded
{
    std::optional<Samples> samples;
    std::string refusal;
};

// Both readers refuse images wider or taller than this, or with more bytes of samples.
inline constexpr std::uint32_t maxSide = 4096;
inline constexpr std::size_t maxRgbaBytes = 4 << 20;

Decoded decodeWithQuiltMap(std::span<const std::uint8_t> file);

// libspng's samples before any drawing: 16-bit samples reduced to their high byte, the
// transparency chunk as alpha. Where our reader's rules add to decoding, the same rules are
// applied here, so that only decoding is compared: gamma maps the colour samples of colour
// images only, and a palette with one clear entry and no other translucent one makes every entry
// of that colour clear.
Decoded decodeWithSpng(std::span<const std::uint8_t> file);

// Whether the file is one on which the readers' samples differ by intent: a palette image whose
// transparency chunk has more entries than the palette. Our reader uses the entries that belong to
// palette colours; libspng drops the whole chunk.
bool samplesDifferByIntent(std::span<const std::uint8_t> file);

// The first pixel where the two differ, as text; empty when they agree.
std::string firstDifference(const Samples &ours, const Samples &reference);

} // namespace quiltmap::pngdiff
