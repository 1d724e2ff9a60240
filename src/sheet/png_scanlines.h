#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace quiltmap::sheet {

// One sub-image of the filtered data: all of a non-interlaced image, or one Adam7 pass.
struct ScanlinePass
{
    std::uint32_t xStart = 0;
    std::uint32_t yStart = 0;
    std::uint32_t xStep = 1;
    std::uint32_t yStep = 1;
    std::uint32_t width = 0; // pixels per row of this pass
    std::uint32_t height = 0; // rows of this pass
    std::uint64_t rowBytes = 0; // packed sample bytes per row, without the filter byte

    bool isEmpty() const { return width == 0 || height == 0; }
    // Bytes of this pass in the inflated data: every row carries a leading filter-type byte.
    // Saturates instead of wrapping, so an absurd header can only ever fail a limit.
    std::uint64_t filteredBytes() const
    {
        std::uint64_t bytes = 0;
        if (isEmpty())
            return 0;
        return __builtin_mul_overflow(std::uint64_t(height), rowBytes + 1, &bytes) ? UINT64_MAX
                                                                                   : bytes;
    }
};

struct ScanlineLayout
{
    std::array<ScanlinePass, 7> passes {};
    int passCount = 0;
    std::uint64_t filteredBytes = 0; // saturated like ScanlinePass::filteredBytes
};

// The passes of an image; everything computed in 64 bits, so any header size is safe to ask.
ScanlineLayout scanlineLayout(
    std::uint32_t width, std::uint32_t height, unsigned bitsPerPixel, bool interlaced);

// Undoes the row filters of one pass in place. rows points at the first filter-type byte; the
// filter-type bytes stay. Throws PngFailure for an unknown filter type.
void unfilterPass(
    std::uint8_t *rows, std::uint32_t rowCount, std::size_t rowBytes, unsigned bytesPerPixel);

} // namespace quiltmap::sheet
