#include "sheet/png_scanlines.h"

#include "sheet/png_errors.h"
#include "sheet/png_format.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quiltmap::sheet {
namespace {

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

// The Paeth predictor with the distances written out: |p - left| = |up - upLeft|, and so on.
inline std::uint8_t paeth(int left, int up, int upLeft)
{
    const int toLeft = std::abs(up - upLeft);
    const int toUp = std::abs(left - upLeft);
    const int toUpLeft = std::abs(left + up - 2 * upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft)
        return static_cast<std::uint8_t>(left);
    return static_cast<std::uint8_t>(toUp <= toUpLeft ? up : upLeft);
}

#if defined(__SSE2__)
// Rows of 2- to 8-byte pixels are unfiltered a pixel at a time, its bytes side by side in 16-bit
// lanes: the pixels form one dependency chain, so working on their bytes together is what makes
// Average and Paeth fast.

// Pixels whose width is not a power of two are assembled byte by byte: a wider copy through
// memory would overlap the pixel just stored and stall on store forwarding.
template<std::size_t Bpp> __m128i loadPixel(const std::uint8_t *p)
{
    std::uint64_t v = 0;
    if constexpr (Bpp == 2 || Bpp == 4 || Bpp == 8) {
        std::memcpy(&v, p, Bpp);
    } else {
        for (std::size_t i = 0; i < Bpp; ++i)
            v |= std::uint64_t(p[i]) << (8 * i);
    }
    return _mm_unpacklo_epi8(_mm_cvtsi64_si128(static_cast<long long>(v)), _mm_setzero_si128());
}

// Writes the low Bpp bytes of v.
template<std::size_t Bpp> void storeBytes(std::uint8_t *p, std::uint64_t v)
{
    if constexpr (Bpp == 2 || Bpp == 4 || Bpp == 8) {
        std::memcpy(p, &v, Bpp);
    } else {
        for (std::size_t i = 0; i < Bpp; ++i)
            p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

// The lanes as bytes, lane 0 lowest.
std::uint64_t laneBytes(__m128i lanes)
{
    return static_cast<std::uint64_t>(
        _mm_cvtsi128_si64(_mm_packus_epi16(lanes, _mm_setzero_si128())));
}

template<std::size_t Bpp> void storePixel(std::uint8_t *p, __m128i lanes)
{
    storeBytes<Bpp>(p, laneBytes(lanes));
}

template<std::size_t Bpp>
void unfilterAveragePixels(std::uint8_t *row, const std::uint8_t *prior, std::size_t n)
{
    const __m128i byteMask = _mm_set1_epi16(0xFF);
    __m128i left = _mm_setzero_si128();
    for (std::size_t i = 0; i + Bpp <= n; i += Bpp) {
        const __m128i sum = _mm_add_epi16(left, loadPixel<Bpp>(prior + i));
        left = _mm_and_si128(
            _mm_add_epi16(loadPixel<Bpp>(row + i), _mm_srli_epi16(sum, 1)), byteMask);
        storePixel<Bpp>(row + i, left);
    }
}

// With p = left + up - upLeft, Paeth picks left when |up - upLeft| is the smallest distance, else
// up when |left - upLeft| <= |left + up - 2 upLeft|, else upLeft. Everything that does not depend
// on the left pixel is worked out off the chain, and the pick is added as a step from upLeft, so
// each pixel waits for the one before it only about nine operations.
__m128i paethPixel(__m128i raw, __m128i left, __m128i up, __m128i upLeft)
{
    const __m128i base = _mm_add_epi16(raw, upLeft);
    const __m128i upStep = _mm_sub_epi16(up, upLeft);
    const __m128i toLeft = _mm_max_epi16(upStep, _mm_sub_epi16(upLeft, up));

    const __m128i leftStep = _mm_sub_epi16(left, upLeft);
    const __m128i leftStepBack = _mm_sub_epi16(upLeft, left);
    const __m128i toUp = _mm_max_epi16(leftStep, leftStepBack);
    const __m128i toUpLeft
        = _mm_max_epi16(_mm_add_epi16(leftStep, upStep), _mm_sub_epi16(leftStepBack, upStep));
    const __m128i notLeft = _mm_cmpgt_epi16(toLeft, _mm_min_epi16(toUp, toUpLeft));
    const __m128i upOrNone = _mm_andnot_si128(_mm_cmpgt_epi16(toUp, toUpLeft), upStep);
    const __m128i step
        = _mm_or_si128(_mm_and_si128(notLeft, upOrNone), _mm_andnot_si128(notLeft, leftStep));
    return _mm_and_si128(_mm_add_epi16(base, step), _mm_set1_epi16(0xFF));
}

template<std::size_t Bpp>
void unfilterPaethPixels(std::uint8_t *row, const std::uint8_t *prior, std::size_t n)
{
    __m128i left = _mm_setzero_si128();
    __m128i upLeft = _mm_setzero_si128();
    for (std::size_t i = 0; i + Bpp <= n; i += Bpp) {
        const __m128i up = loadPixel<Bpp>(prior + i);
        left = paethPixel(loadPixel<Bpp>(row + i), left, up, upLeft);
        storePixel<Bpp>(row + i, left);
        upLeft = up;
    }
}

// Two Paeth rows at once for pixels of up to 4 bytes, the lower row one pixel behind: lanes 0-3
// hold pixel i of the upper row, lanes 4-7 pixel i - 1 of the lower one, whose pixel above was
// finished in the step before. Both rows then share one chain and take little longer than one.
// In the first step every input of the lower lanes is zero, so they start from zero, as a row
// starts with nothing to its left.
template<std::size_t Bpp>
void unfilterPaethRowPair(
    std::uint8_t *upper, std::uint8_t *lower, const std::uint8_t *prior, std::size_t n)
{
    static_assert(Bpp <= 4);
    const __m128i zero = _mm_setzero_si128();
    const std::size_t count = n / Bpp;
    __m128i left = zero;
    __m128i upLeft = zero;
    for (std::size_t i = 0; i <= count; ++i) {
        const bool inUpper = i < count;
        const bool inLower = i > 0;
        const __m128i up
            = _mm_unpacklo_epi64(inUpper ? loadPixel<Bpp>(prior + i * Bpp) : zero, left);
        const __m128i raw = _mm_unpacklo_epi64(inUpper ? loadPixel<Bpp>(upper + i * Bpp) : zero,
            inLower ? loadPixel<Bpp>(lower + (i - 1) * Bpp) : zero);
        left = paethPixel(raw, left, up, upLeft);
        upLeft = up;
        const std::uint64_t bytes = laneBytes(left);
        if (inUpper)
            storeBytes<Bpp>(upper + i * Bpp, bytes);
        if (inLower)
            storeBytes<Bpp>(lower + (i - 1) * Bpp, bytes >> 32);
    }
}

constexpr bool hasPixelLanes(std::size_t bpp)
{
    return bpp >= 2 && bpp <= 8;
}
#endif

// One row, with the pixel size fixed at compile time for the common sizes so the loops over a
// pixel's bytes unroll. prior is the unfiltered row above, or null for the first row of a pass
// (all zero then).
template<std::size_t Bpp>
void unfilterRow(std::uint8_t filter, std::uint8_t *row, const std::uint8_t *prior, std::size_t n,
    std::size_t bppRuntime)
{
    const std::size_t bpp = Bpp != 0 ? Bpp : bppRuntime;
    const std::size_t head = std::min(bpp, n);
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
        if (!prior) {
            for (std::size_t i = bpp; i < n; ++i)
                row[i] = static_cast<std::uint8_t>(row[i] + (row[i - bpp] >> 1));
            return;
        }
#if defined(__SSE2__)
        // For 3-byte pixels the plain loop below measured faster than the lanes; 2-byte pixels
        // keep it too.
        if constexpr (hasPixelLanes(Bpp) && Bpp >= 4)
            return unfilterAveragePixels<Bpp>(row, prior, n);
#endif
        for (std::size_t i = 0; i < head; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + (prior[i] >> 1));
        for (std::size_t i = bpp; i < n; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + ((unsigned(row[i - bpp]) + prior[i]) >> 1));
        return;
    case 4:
        // Without a row above, Paeth always picks the left byte: the Sub filter.
        if (!prior) {
            for (std::size_t i = bpp; i < n; ++i)
                row[i] = static_cast<std::uint8_t>(row[i] + row[i - bpp]);
            return;
        }
#if defined(__SSE2__)
        if constexpr (hasPixelLanes(Bpp))
            return unfilterPaethPixels<Bpp>(row, prior, n);
#endif
        // For the first pixel left and upper-left are 0, so Paeth picks the byte above.
        for (std::size_t i = 0; i < head; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + prior[i]);
        for (std::size_t i = bpp; i < n; ++i)
            row[i]
                = static_cast<std::uint8_t>(row[i] + paeth(row[i - bpp], prior[i], prior[i - bpp]));
        return;
    default:
        throw PngFailure { PngError::BadFilterType };
    }
}

template<std::size_t Bpp>
void unfilterRows(std::uint8_t *rows, std::uint32_t rowCount, std::size_t rowBytes, std::size_t bpp)
{
    constexpr std::uint8_t paethFilter = 4;
    const std::uint8_t *prior = nullptr;
    for (std::uint32_t y = 0; y < rowCount; ++y) {
        std::uint8_t *row = rows + std::size_t(y) * (rowBytes + 1);
#if defined(__SSE2__)
        if constexpr (Bpp >= 2 && Bpp <= 4) {
            std::uint8_t *next = row + rowBytes + 1;
            if (prior && y + 1 < rowCount && row[0] == paethFilter && next[0] == paethFilter) {
                unfilterPaethRowPair<Bpp>(row + 1, next + 1, prior, rowBytes);
                prior = next + 1;
                ++y;
                continue;
            }
        }
#endif
        unfilterRow<Bpp>(row[0], row + 1, prior, rowBytes, bpp);
        prior = row + 1;
    }
}

} // namespace

ScanlineLayout scanlineLayout(
    std::uint32_t width, std::uint32_t height, unsigned bitsPerPixel, bool interlaced)
{
    ScanlineLayout layout;
    if (interlaced) {
        for (const Adam7Pass &pass : adam7Passes)
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
    switch (bytesPerPixel) {
    case 1:
        return unfilterRows<1>(rows, rowCount, rowBytes, 1);
    case 2:
        return unfilterRows<2>(rows, rowCount, rowBytes, 2);
    case 3:
        return unfilterRows<3>(rows, rowCount, rowBytes, 3);
    case 4:
        return unfilterRows<4>(rows, rowCount, rowBytes, 4);
    case 6:
        return unfilterRows<6>(rows, rowCount, rowBytes, 6);
    case 8:
        return unfilterRows<8>(rows, rowCount, rowBytes, 8);
    default:
        return unfilterRows<0>(rows, rowCount, rowBytes, bytesPerPixel);
    }
}

} // namespace quiltmap::sheet
