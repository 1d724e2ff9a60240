#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quiltmap::sheet {

// An opaque raster with 8 bits per channel: rows from top to bottom, each pixel three bytes
// red, green, blue, rows packed without padding. This is the sheet both the preview shows and
// the export writes.
class Raster
{
public:
    Raster() = default;

    // A raster of the given size with every pixel white. Throws quiltmap::Error when a side is
    // negative, the size does not fit the machine, or the memory cannot be had.
    static Raster white(int width, int height);

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool isEmpty() const { return m_width == 0 || m_height == 0; }
    std::size_t bytesPerRow() const { return static_cast<std::size_t>(m_width) * 3; }

    std::uint8_t *row(int y) { return m_pixels.data() + static_cast<std::size_t>(y) * bytesPerRow(); }
    const std::uint8_t *row(int y) const
    {
        return m_pixels.data() + static_cast<std::size_t>(y) * bytesPerRow();
    }
    const std::uint8_t *data() const { return m_pixels.data(); }

    friend bool operator==(const Raster &, const Raster &) = default;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint8_t> m_pixels;
};

} // namespace quiltmap::sheet
