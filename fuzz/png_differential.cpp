#include "png_differential.h"

#include "common/error.h"
#include "sheet/png_pixels.h"
#include "sheet/png_reader.h"

#include <algorithm>
#include <memory>
#include <spng.h>

namespace quiltmap::pngdiff {
namespace {

using SpngContext = std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)>;

bool isColour(std::uint8_t colourType)
{
    return colourType == SPNG_COLOR_TYPE_TRUECOLOR || colourType == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
}

// The ancillary data that the rules below use, read before decoding: a file damaged after its
// image data leaves libspng unable to answer afterwards.
struct Ancillary
{
    std::uint32_t gamma = 0;
    std::optional<spng_trns> transparency;
    std::optional<spng_plte> palette;
};

Ancillary readAncillary(spng_ctx *context)
{
    Ancillary ancillary;
    if (spng_get_gama_int(context, &ancillary.gamma) != 0)
        ancillary.gamma = 0;
    spng_trns transparency {};
    if (spng_get_trns(context, &transparency) == 0)
        ancillary.transparency = transparency;
    spng_plte palette {};
    if (spng_get_plte(context, &palette) == 0)
        ancillary.palette = palette;
    return ancillary;
}

void applyGamma(const Ancillary &ancillary, const spng_ihdr &header, Samples &samples)
{
    if (!isColour(header.color_type) || ancillary.gamma == 0)
        return;
    const auto table = sheet::gammaTable(ancillary.gamma);
    for (std::size_t i = 0; i < samples.rgba.size(); i += 4)
        for (std::size_t c = 0; c < 3; ++c)
            samples.rgba[i + c] = table[samples.rgba[i + c]];
}

// One clear entry and every other entry opaque: the clear entry's colour becomes a colour key.
void applyPaletteKey(const Ancillary &ancillary, const spng_ihdr &header, Samples &samples)
{
    if (header.color_type != SPNG_COLOR_TYPE_INDEXED || !ancillary.transparency
        || !ancillary.palette)
        return;
    const std::uint32_t entries
        = std::min(ancillary.transparency->n_type3_entries, ancillary.palette->n_entries);
    const std::uint8_t *alpha = ancillary.transparency->type3_alpha;
    const auto notOpaque = std::count_if(alpha, alpha + entries, [](auto a) { return a < 255; });
    const auto clear = std::find(alpha, alpha + entries, std::uint8_t(0));
    if (notOpaque != 1 || clear == alpha + entries)
        return;
    const spng_plte_entry &key = ancillary.palette->entries[clear - alpha];
    for (std::size_t i = 0; i < samples.rgba.size(); i += 4) {
        std::uint8_t *p = samples.rgba.data() + i;
        p[3] = p[0] == key.red && p[1] == key.green && p[2] == key.blue ? 0 : 255;
    }
}

} // namespace

Decoded decodeWithQuiltMap(std::span<const std::uint8_t> file)
{
    sheet::PngLimits limits;
    limits.maxWidth = maxSide;
    limits.maxHeight = maxSide;
    limits.maxPixels = maxRgbaBytes / 4;
    try {
        const sheet::Tile tile = sheet::decodePng(file, limits);
        Samples samples { std::uint32_t(tile.width()), std::uint32_t(tile.height()), {} };
        samples.rgba.reserve(std::size_t(tile.width()) * tile.height() * 4);
        for (int y = 0; y < tile.height(); ++y) {
            const std::uint8_t *p = tile.row(y);
            for (int x = 0; x < tile.width(); ++x, p += tile.channels())
                samples.rgba.insert(samples.rgba.end(),
                    { p[0], p[1], p[2], tile.channels() == 4 ? p[3] : std::uint8_t(255) });
        }
        return { samples, {} };
    } catch (const Error &error) {
        return { std::nullopt, error.message().toStdString() };
    }
}

Decoded decodeWithSpng(std::span<const std::uint8_t> file)
{
    const SpngContext context(spng_ctx_new(0), spng_ctx_free);
    spng_ihdr header {};
    std::size_t size = 0;
    int status = spng_set_png_buffer(context.get(), file.data(), file.size());
    if (status == 0)
        status = spng_set_image_limits(context.get(), maxSide, maxSide);
    // No chunk can be longer than the file; without this limit libspng allocates what a chunk
    // header claims before it finds the bytes missing, which makes fuzzing crawl.
    if (status == 0)
        status = spng_set_chunk_limits(context.get(), file.size(), 16 * file.size());
    if (status == 0)
        status = spng_get_ihdr(context.get(), &header);
    if (status == 0)
        status = spng_decoded_image_size(context.get(), SPNG_FMT_RGBA8, &size);
    if (status == 0 && size > maxRgbaBytes)
        return { std::nullopt, "too large" };
    Samples samples { header.width, header.height, std::vector<std::uint8_t>(size) };
    const Ancillary ancillary = status == 0 ? readAncillary(context.get()) : Ancillary {};
    if (status == 0)
        status = spng_decode_image(
            context.get(), samples.rgba.data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS);
    if (status != 0)
        return { std::nullopt, spng_strerror(status) };
    applyGamma(ancillary, header, samples);
    applyPaletteKey(ancillary, header, samples);
    return { samples, {} };
}

bool samplesDifferByIntent(std::span<const std::uint8_t> file)
{
    const auto number = [&](std::size_t at) {
        return std::uint32_t(file[at]) << 24 | std::uint32_t(file[at + 1]) << 16
            | std::uint32_t(file[at + 2]) << 8 | file[at + 3];
    };
    std::uint32_t paletteBytes = 0;
    for (std::size_t at = 8; at + 12 <= file.size() && number(at) <= file.size() - at - 12;
         at += 12 + number(at)) {
        const std::string type(file.begin() + long(at) + 4, file.begin() + long(at) + 8);
        if (type == "IHDR" && (number(at) < 10 || file[at + 17] != SPNG_COLOR_TYPE_INDEXED))
            return false;
        if (type == "PLTE" && paletteBytes == 0)
            paletteBytes = number(at);
        if (type == "tRNS")
            return number(at) > paletteBytes / 3;
        if (type == "IDAT")
            return false;
    }
    return false;
}

std::string firstDifference(const Samples &ours, const Samples &reference)
{
    if (ours.width != reference.width || ours.height != reference.height)
        return "size " + std::to_string(ours.width) + "x" + std::to_string(ours.height)
            + " against " + std::to_string(reference.width) + "x"
            + std::to_string(reference.height);
    const auto [mine, theirs]
        = std::mismatch(ours.rgba.begin(), ours.rgba.end(), reference.rgba.begin());
    if (mine == ours.rgba.end())
        return {};
    const std::size_t index = std::size_t(mine - ours.rgba.begin());
    const std::size_t pixel = index / 4;
    return "pixel (" + std::to_string(pixel % ours.width) + ", "
        + std::to_string(pixel / ours.width) + ") channel " + std::to_string(index % 4) + ": "
        + std::to_string(*mine) + " against " + std::to_string(*theirs);
}

} // namespace quiltmap::pngdiff
