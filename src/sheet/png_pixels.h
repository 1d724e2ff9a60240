#pragma once

#include "sheet/tile.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace quiltmap::sheet {

// How unfiltered scanline samples become tile pixels: the blend rule the file's transparency
// selects, palette entries in tile-pixel form, the colour key and the gamma mapping.
struct PngPixelFormat
{
    std::uint8_t colourType = 0;
    std::uint8_t bitDepth = 8;
    Tile::Blend blend = Tile::Blend::Replace;
    // Entries carry the alpha the blend rule uses; indexes from paletteSize on are invalid.
    std::array<std::array<std::uint8_t, 4>, 256> palette {};
    unsigned paletteSize = 0;
    // Grey or colour key as raw samples at the image's bit depth (grey uses key[0]).
    bool hasKey = false;
    std::array<std::uint16_t, 3> key {};
    bool hasGamma = false;
    std::array<std::uint8_t, 256> gamma {};
};

// paletteRgb: the PLTE data; transparency: the tRNS data when present; gammaValue: the gAMA
// value (0 when absent).
PngPixelFormat makePixelFormat(std::uint8_t colourType, std::uint8_t bitDepth,
    std::span<const std::uint8_t> paletteRgb,
    std::optional<std::span<const std::uint8_t>> transparency, std::uint32_t gammaValue);

// The gamma mapping of colour samples: v -> 255 * (v / 255) ^ (1 / (g * 2.2)), g = value / 100000,
// rounded to nearest with halves to even.
std::array<std::uint8_t, 256> gammaTable(std::uint32_t gammaValue);

// Converts count pixels of an unfiltered scanline into tile pixels, the first at dst and each
// next one dstStep bytes further. Throws PngFailure for a palette index beyond the palette.
void convertScanline(const PngPixelFormat &format, const std::uint8_t *src, std::uint32_t count,
    std::uint8_t *dst, std::size_t dstStep);

} // namespace quiltmap::sheet
