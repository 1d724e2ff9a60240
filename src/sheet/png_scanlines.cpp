#include "sheet/png_scanlines.h"

#include "sheet/png_errors.h"

#include <cstdlib>

namespace quiltmap::sheet {
namespace {

struct Adam7Pass
{
    std::uint32_t xStart, yStart, xStep, yStep;
};

constexpr std::array<Adam7Pass, 7> adam7 { {
    { 0, 0, 8, 8 },
    { 4, 0, 8, 8 },
    { 0, 4, 4, 8 },
    { 2, 0, 4, 4 },
    { 0, 2, 2, 4 },
    { 1, 0, 2, 2 },
    { 0, 1, 1, 2 },
} };

std::uint32_t passExtent(std::uint32_t size, std::uint32_t start, std::uint32_t step)
{
    return size > start ? (size - start + step - 1) / step : 0;
}

ScanlinePass makePass(
    const Adam7Pass &pass, std::uint32_t width, std::uint32_t height, unsigned bitsPerPixel)
{
    ScanlinePass result { pass.xStart, pass.yStart, pass.xStep, pass.yStep,
        passExtent(width, pass.xStart, pass.xStep), passExtent(height, pass.yStart, pass.yStep),
        0 };
    result.rowBytes = (std::uint64_t(result.width) * bitsPerPixel + 7) / 8;
    return result;
}

std::uint8_t paeth(int left, int up, int upLeft)
{
    const int p = left + up - upLeft;
    const int pa = std::abs(p - left);
    const int pb = std::abs(p - up);
    const int pc = std::abs(p - upLeft);
    if (pa <= pb && pa <= pc)
        return static_cast<std::uint8_t>(left);
    return static_cast<std::uint8_t>(pb <= pc ? up : upLeft);
}

// prior is the unfiltered row above, or null for the first row of a pass (all zero then).
void unfilterRow(std::uint8_t filter, std::uint8_t *row, const std::uint8_t *prior, std::size_t n,
    std::size_t bpp)
{
    switch (filter) {
    case 0:
        return;
    case 1:
        for (std::size_t i = bpp; i < n; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + row[i - bpp]);
        return;
    case 2:
        if (prior)
            for (std::size_t i = 0; i < n; ++i)
                row[i] = static_cast<std::uint8_t>(row[i] + prior[i]);
        return;
    case 3:
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned left = i >= bpp ? row[i - bpp] : 0;
            const unsigned up = prior ? prior[i] : 0;
            row[i] = static_cast<std::uint8_t>(row[i] + ((left + up) >> 1));
        }
        return;
    case 4:
        for (std::size_t i = 0; i < n; ++i) {
            const int left = i >= bpp ? row[i - bpp] : 0;
            const int up = prior ? prior[i] : 0;
            const int upLeft = prior && i >= bpp ? prior[i - bpp] : 0;
            row[i] = static_cast<std::uint8_t>(row[i] + paeth(left, up, upLeft));
        }
        return;
    default:
        throw PngFailure { PngError::BadFilterType };
    }
}

} // namespace

ScanlineLayout scanlineLayout(
    std::uint32_t width, std::uint32_t height, unsigned bitsPerPixel, bool interlaced)
{
    ScanlineLayout layout;
    if (interlaced) {
        for (const Adam7Pass &pass : adam7)
            layout.passes[layout.passCount++] = makePass(pass, width, height, bitsPerPixel);
    } else {
        layout.passes[layout.passCount++] = makePass({ 0, 0, 1, 1 }, width, height, bitsPerPixel);
    }
    for (int i = 0; i < layout.passCount; ++i) {
        const std::uint64_t bytes = layout.passes[i].filteredBytes();
        layout.filteredBytes
            = bytes > UINT64_MAX - layout.filteredBytes ? UINT64_MAX : layout.filteredBytes + bytes;
    }
    return layout;
}

void unfilterPass(
    std::uint8_t *rows, std::uint32_t rowCount, std::size_t rowBytes, unsigned bytesPerPixel)
{
    const std::uint8_t *prior = nullptr;
    for (std::uint32_t y = 0; y < rowCount; ++y) {
        std::uint8_t *row = rows + std::size_t(y) * (rowBytes + 1);
        unfilterRow(row[0], row + 1, prior, rowBytes, bytesPerPixel);
        prior = row + 1;
    }
}

} // namespace quiltmap::sheet
