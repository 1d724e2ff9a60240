#include "sheet/tile.h"

#include <cassert>

namespace quiltmap::sheet {

Tile::Tile(int width, int height, Blend blend, std::vector<std::uint8_t> pixels)
    : m_width(width)
    , m_height(height)
    , m_blend(blend)
    , m_pixels(std::move(pixels))
{
    assert(m_pixels.size() == static_cast<std::size_t>(height) * bytesPerRow());
}

} // namespace quiltmap::sheet
