#include "sheet/tile_drawing.h"

#include <algorithm>
#include <cstring>

namespace quiltmap::sheet {
namespace {

std::uint8_t alphaOverChannel(unsigned old, unsigned value, unsigned a)
{
    return static_cast<std::uint8_t>((old * (255 - a) + value * a + 127) / 255);
}

std::uint8_t paletteAlphaChannel(unsigned old, unsigned value, unsigned a)
{
    return static_cast<std::uint8_t>((a * value + (255 - a) * old + 255) >> 8);
}

void blendAlphaOver(std::uint8_t *dst, const std::uint8_t *src, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i, dst += 3, src += 4) {
        const unsigned a = src[3];
        if (a == 255) {
            std::memcpy(dst, src, 3);
        } else if (a != 0) {
            for (int c = 0; c < 3; ++c)
                dst[c] = alphaOverChannel(dst[c], src[c], a);
        }
    }
}

// Alpha 255 gives exactly the new value and alpha 0 the old one here too.
void blendPaletteAlpha(std::uint8_t *dst, const std::uint8_t *src, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i, dst += 3, src += 4) {
        const unsigned a = src[3];
        if (a == 255) {
            std::memcpy(dst, src, 3);
        } else if (a != 0) {
            for (int c = 0; c < 3; ++c)
                dst[c] = paletteAlphaChannel(dst[c], src[c], a);
        }
    }
}

// Onto a raster with alpha: over an opaque pixel a tile pixel blends exactly as on an opaque
// raster; over an empty one it keeps its own colour and alpha; over a translucent one (where
// tiles overlap) the two combine by the usual source-over rule.
void blendOntoAlpha(
    std::uint8_t *dst, const std::uint8_t *src, std::size_t count, Tile::Blend blend)
{
    const int srcChannels = Tile::channelsFor(blend);
    for (std::size_t i = 0; i < count; ++i, dst += 4, src += srcChannels) {
        const unsigned a = blend == Tile::Blend::Replace ? 255 : src[3];
        const unsigned under = dst[3];
        if (a == 0)
            continue;
        if (a == 255 || under == 0) {
            std::memcpy(dst, src, 3);
            dst[3] = static_cast<std::uint8_t>(a);
        } else if (under == 255) {
            for (int c = 0; c < 3; ++c)
                dst[c] = blend == Tile::Blend::PaletteAlpha ? paletteAlphaChannel(dst[c], src[c], a)
                                                            : alphaOverChannel(dst[c], src[c], a);
        } else {
            const unsigned keptUnder = under * (255 - a); // scaled by 255
            const unsigned out = a * 255 + keptUnder; // the result's alpha, scaled by 255
            for (int c = 0; c < 3; ++c)
                dst[c] = static_cast<std::uint8_t>(
                    (src[c] * a * 255 + dst[c] * keptUnder + out / 2) / out);
            dst[3] = static_cast<std::uint8_t>((out + 127) / 255);
        }
    }
}

// The sheet is far larger than the cache, and blending reads it: asking for every row the tile
// covers first lets their loads overlap instead of each row waiting for its own.
void prefetchRows(const Raster &raster, std::int64_t top, std::int64_t bottom, std::size_t offset,
    std::size_t bytes)
{
    constexpr std::size_t cacheLine = 64;
    for (std::int64_t row = top; row < bottom; ++row) {
        const std::uint8_t *start = raster.row(static_cast<int>(row)) + offset;
        for (std::size_t at = 0; at < bytes; at += cacheLine)
            __builtin_prefetch(start + at, 1);
        __builtin_prefetch(start + bytes - 1, 1);
    }
}

} // namespace

void drawTile(Raster &raster, const Tile &tile, int x, int y)
{
    // Clipping in 64 bits keeps positions near the int range from wrapping.
    const std::int64_t left = std::max<std::int64_t>(x, 0);
    const std::int64_t top = std::max<std::int64_t>(y, 0);
    const std::int64_t right
        = std::min<std::int64_t>(std::int64_t(x) + tile.width(), raster.width());
    const std::int64_t bottom
        = std::min<std::int64_t>(std::int64_t(y) + tile.height(), raster.height());
    if (left >= right || top >= bottom)
        return;

    const auto count = static_cast<std::size_t>(right - left);
    const auto srcOffset = static_cast<std::size_t>(left - x) * tile.channels();
    if (tile.blend() != Tile::Blend::Replace || raster.hasAlpha())
        prefetchRows(raster, top, bottom, std::size_t(left) * raster.channels(),
            count * std::size_t(raster.channels()));
    for (std::int64_t row = top; row < bottom; ++row) {
        const std::uint8_t *src = tile.row(static_cast<int>(row - y)) + srcOffset;
        std::uint8_t *dst = raster.row(static_cast<int>(row)) + left * raster.channels();
        if (raster.hasAlpha()) {
            blendOntoAlpha(dst, src, count, tile.blend());
            continue;
        }
        switch (tile.blend()) {
        case Tile::Blend::Replace:
            std::memcpy(dst, src, count * 3);
            break;
        case Tile::Blend::AlphaOver:
            blendAlphaOver(dst, src, count);
            break;
        case Tile::Blend::PaletteAlpha:
            blendPaletteAlpha(dst, src, count);
            break;
        }
    }
}

} // namespace quiltmap::sheet
