#include "sheet/tile_drawing.h"

#include <algorithm>
#include <cstring>

namespace quiltmap::sheet {
namespace {

void blendAlphaOver(std::uint8_t *dst, const std::uint8_t *src, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i, dst += 3, src += 4) {
        const unsigned a = src[3];
        if (a == 255) {
            std::memcpy(dst, src, 3);
        } else if (a != 0) {
            for (int c = 0; c < 3; ++c)
                dst[c] = static_cast<std::uint8_t>((dst[c] * (255 - a) + src[c] * a + 127) / 255);
        }
    }
}

void blendPaletteAlpha(std::uint8_t *dst, const std::uint8_t *src, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i, dst += 3, src += 4) {
        const unsigned a = src[3];
        for (int c = 0; c < 3; ++c)
            dst[c] = static_cast<std::uint8_t>((a * src[c] + (255 - a) * dst[c] + 255) >> 8);
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
    for (std::int64_t row = top; row < bottom; ++row) {
        const std::uint8_t *src = tile.row(static_cast<int>(row - y)) + srcOffset;
        std::uint8_t *dst = raster.row(static_cast<int>(row)) + left * 3;
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
