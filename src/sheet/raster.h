#pragma once

#include "common/large_blocks.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quiltmap::sheet {

// Rows `top` to `bottom` - 1 of a sheet `width` pixels wide, packed one after another from
// `pixels` on: the whole sheet, or the band of it held in memory.
struct RasterBand
{
    std::uint8_t *pixels = nullptr;
    int width = 0;
    int channels = 3;
    int top = 0;
    int bottom = 0;

    std::size_t bytesPerRow() const { return static_cast<std::size_t>(width) * channels; }
    std::uint8_t *row(int y) const
    {
        return pixels + static_cast<std::size_t>(y - top) * bytesPerRow();
    }
};

// Sets every pixel of `pixels`, packed `channels` bytes each, to `pixel`.
void fillPixels(std::span<std::uint8_t> pixels, int channels, std::array<std::uint8_t, 4> pixel);
// Reports that the memory for a width x height image cannot be had.
[[noreturn]] void throwOutOfImageMemory(int width, int height);

// A raster with 8 bits per channel: rows from top to bottom, each pixel three bytes red, green,
// blue (opaque) or four with alpha, rows packed without padding. This is the sheet both the
// preview shows and the export writes; the window only ever uses opaque rasters.
class Raster
{
public:
    // A sheet of megabytes comes in huge pages: filled a 4 KiB page fault at a time, one of 10 MB
    // kept the window from answering for 30 ms.
    using Pixels = std::vector<std::uint8_t, LargeBlockAllocator<std::uint8_t>>;

    Raster() = default;
    Raster(const Raster &) = default;
    Raster(Raster &&) noexcept = default;
    Raster &operator=(const Raster &) = default;
    Raster &operator=(Raster &&) noexcept = default;
    // Hands a large pixel buffer on to the next raster of about its size (see raster.cpp).
    ~Raster();

    // A raster of the given size with every pixel white. Throws quiltmap::Error when a side is
    // negative, the size does not fit the machine, or the memory cannot be had.
    static Raster white(int width, int height);
    // A raster of `channels` (3 or 4) bytes per pixel, every pixel `pixel` (red, green, blue,
    // alpha; alpha unused with 3 channels). Throws as white() does.
    static Raster filled(int width, int height, int channels, std::array<std::uint8_t, 4> pixel);

    // Sets every pixel to `pixel`.
    void fill(std::array<std::uint8_t, 4> pixel);

    int width() const { return m_width; }
    int height() const { return m_height; }
    int channels() const { return m_channels; }
    bool hasAlpha() const { return m_channels == 4; }
    bool isEmpty() const { return m_width == 0 || m_height == 0; }
    std::size_t bytesPerRow() const { return static_cast<std::size_t>(m_width) * m_channels; }

    std::uint8_t *row(int y)
    {
        return m_pixels.data() + static_cast<std::size_t>(y) * bytesPerRow();
    }
    const std::uint8_t *row(int y) const
    {
        return m_pixels.data() + static_cast<std::size_t>(y) * bytesPerRow();
    }
    const std::uint8_t *data() const { return m_pixels.data(); }
    // All rows, for drawing.
    RasterBand band() { return { m_pixels.data(), m_width, m_channels, 0, m_height }; }

    friend bool operator==(const Raster &, const Raster &) = default;

private:
    int m_width = 0;
    int m_height = 0;
    int m_channels = 3;
    Pixels m_pixels;
};

} // namespace quiltmap::sheet
