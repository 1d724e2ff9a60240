#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quiltmap::sheet {

// A decoded PNG tile ready for drawing: its size from the header, 8-bit samples (16-bit samples
// reduced to their high byte, gamma already applied) and how its pixels combine with a raster.
class Tile
{
public:
    // How a tile pixel combines with the raster pixel beneath it.
    enum class Blend {
        // Every pixel replaces the raster pixel; pixels are red, green, blue.
        Replace,
        // Pixels are red, green, blue, alpha; channel = (old * (255 - a) + new * a + 127) / 255.
        // A colour-key tile uses this with alpha 0 for key pixels and 255 for all others.
        AlphaOver,
        // Pixels are red, green, blue, alpha from a palette's transparency table;
        // channel = (a * new + (255 - a) * old + 255) / 256.
        PaletteAlpha,
    };

    Tile() = default;
    // pixels holds height rows of width pixels, packed, with channelsFor(blend) bytes each.
    Tile(int width, int height, Blend blend, std::vector<std::uint8_t> pixels);

    static int channelsFor(Blend blend) { return blend == Blend::Replace ? 3 : 4; }

    int width() const { return m_width; }
    int height() const { return m_height; }
    Blend blend() const { return m_blend; }
    int channels() const { return channelsFor(m_blend); }
    std::size_t bytesPerRow() const { return static_cast<std::size_t>(m_width) * channels(); }
    const std::uint8_t *row(int y) const
    {
        return m_pixels.data() + static_cast<std::size_t>(y) * bytesPerRow();
    }
    std::size_t byteCount() const { return m_pixels.size(); }
    // Leaves the tile empty, so that its memory may serve another.
    std::vector<std::uint8_t> takePixels() &&
    {
        m_width = m_height = 0;
        return std::move(m_pixels);
    }

private:
    int m_width = 0;
    int m_height = 0;
    Blend m_blend = Blend::Replace;
    std::vector<std::uint8_t> m_pixels;
};

} // namespace quiltmap::sheet
