#include "sheet/png_scanlines.h"

#include "sheet/cpu_features.h"
#include "sheet/png_errors.h"
#include "sheet/png_format.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && defined(QUILTMAP_HAS_AVX2_CODE)
#include <immintrin.h>
#define QUILTMAP_AVX2_PAETH 1
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

#if defined(QUILTMAP_AVX2_PAETH)
// Under AVX2 several Paeth rows run as one wavefront, each row two pixels behind the one above:
// a row's pixel above then comes from the step before last, so moving it across the register
// stays off the chain from pixel to pixel, which is no longer than that of a single row.
constexpr std::size_t wavefrontLag = 2;

// paethPixel in 16 lanes.
QUILTMAP_TARGET_AVX2 inline __m256i paethLanes(
    __m256i raw, __m256i left, __m256i up, __m256i upLeft)
{
    const __m256i base = _mm256_add_epi16(raw, upLeft);
    const __m256i upStep = _mm256_sub_epi16(up, upLeft);
    const __m256i toLeft = _mm256_abs_epi16(upStep);
    const __m256i leftStep = _mm256_sub_epi16(left, upLeft);
    const __m256i toUp = _mm256_abs_epi16(leftStep);
    const __m256i toUpLeft = _mm256_abs_epi16(_mm256_add_epi16(leftStep, upStep));
    const __m256i notLeft = _mm256_cmpgt_epi16(toLeft, _mm256_min_epi16(toUp, toUpLeft));
    const __m256i upOrNone = _mm256_andnot_si256(_mm256_cmpgt_epi16(toUp, toUpLeft), upStep);
    const __m256i step = _mm256_or_si256(
        _mm256_and_si256(notLeft, upOrNone), _mm256_andnot_si256(notLeft, leftStep));
    return _mm256_and_si256(_mm256_add_epi16(base, step), _mm256_set1_epi16(0xFF));
}

// Bytes of the pixel at p, Bpp of them significant. Reading past the pixel is cheaper than
// assembling it; callers allow it wherever the bytes after are still in the buffer.
template<std::size_t Bpp, typename Word> Word loadPixelWord(const std::uint8_t *p, bool mayOverread)
{
    Word v = 0;
    if (Bpp <= 2 || Bpp == sizeof(Word) || mayOverread) {
        std::memcpy(&v, p, Bpp <= 2 ? Bpp : sizeof(Word));
    } else {
        for (std::size_t i = 0; i < Bpp; ++i)
            v |= Word(p[i]) << (8 * i);
    }
    return v;
}

// Writes the low Bpp bytes of v in at most two stores.
template<std::size_t Bpp, typename Word> void storePixelWord(std::uint8_t *p, Word v)
{
    if constexpr (Bpp == 1 || Bpp == 2 || Bpp == 4 || Bpp == 8) {
        std::memcpy(p, &v, Bpp);
    } else {
        constexpr std::size_t head = Bpp == 3 ? 2 : 4;
        std::memcpy(p, &v, head);
        storeBytes<Bpp - head>(p + head, std::uint64_t(v >> (8 * head)));
    }
}

// Pixels of up to 4 bytes run four rows at once, each pixel in a quarter of the register; wider
// ones two rows, each pixel in a half. Single bytes (grey, palette) are read and written one by
// one.
template<std::size_t Bpp> struct WavefrontShape
{
    using Word = std::conditional_t<(Bpp <= 4), std::uint32_t, std::uint64_t>;
    static constexpr std::size_t rows = 16 / sizeof(Word);
    static constexpr std::size_t lastStart = (rows - 1) * wavefrontLag;
};

// One step of the wavefront: pixel i of the first row, pixel i - 2 of the second, and so on.
// Rows whose pixel lies outside are fed zero and not stored, so each row starts from zero as it
// would alone; Inside says all pixels lie inside. The bytes after the last row may lie outside
// the buffer, after any other row they are the next row's filter byte.
template<std::size_t Bpp, bool Inside>
QUILTMAP_TARGET_AVX2 __attribute__((always_inline)) inline void paethWavefrontStep(
    std::uint8_t *first, const std::uint8_t *prior, std::size_t stride, std::size_t count,
    std::size_t i, __m256i &left, __m256i &upLeft, __m256i &beforeLeft)
{
    using Shape = WavefrontShape<Bpp>;
    using Word = typename Shape::Word;
    constexpr std::size_t rows = Shape::rows;
    const auto inside = [&](std::size_t r) {
        return Inside || (i >= r * wavefrontLag && i - r * wavefrontLag < count);
    };

    Word above = 0;
    if (prior && (Inside || i < count))
        above = loadPixelWord<Bpp, Word>(prior + i * Bpp, true);
    Word raw[rows] {};
    for (std::size_t r = 0; r < rows; ++r) {
        const std::size_t x = i - r * wavefrontLag;
        if (inside(r))
            raw[r] = loadPixelWord<Bpp, Word>(
                first + r * stride + x * Bpp, r + 1 < rows || x + 1 < count);
    }

    // The first row's pixel above comes from the prior row, every other row's from the result
    // of the row above two steps ago.
    __m256i up;
    __m128i rawBytes;
    if constexpr (rows == 4) {
        up = _mm256_blend_epi32(_mm256_permute4x64_epi64(beforeLeft, _MM_SHUFFLE(2, 1, 0, 0)),
            _mm256_castsi128_si256(_mm_cvtepu8_epi16(_mm_cvtsi32_si128(int(above)))), 0x03);
        rawBytes = _mm_setr_epi32(int(raw[0]), int(raw[1]), int(raw[2]), int(raw[3]));
    } else {
        up = _mm256_permute2x128_si256(_mm256_castsi128_si256(_mm_cvtepu8_epi16(
                                           _mm_cvtsi64_si128(static_cast<long long>(above)))),
            beforeLeft, 0x20);
        rawBytes = _mm_set_epi64x(static_cast<long long>(raw[1]), static_cast<long long>(raw[0]));
    }
    const __m256i result = paethLanes(_mm256_cvtepu8_epi16(rawBytes), left, up, upLeft);
    beforeLeft = left;
    left = result;
    upLeft = up;

    const __m128i bytes
        = _mm_packus_epi16(_mm256_castsi256_si128(result), _mm256_extracti128_si256(result, 1));
    const std::uint64_t halves[2] { std::uint64_t(_mm_cvtsi128_si64(bytes)),
        std::uint64_t(_mm_extract_epi64(bytes, 1)) };
    for (std::size_t r = 0; r < rows; ++r) {
        if (inside(r))
            storePixelWord<Bpp>(first + r * stride + (i - r * wavefrontLag) * Bpp,
                Word(halves[r * sizeof(Word) / 8] >> (r * sizeof(Word) % 8 * 8)));
    }
}

// A run of Paeth rows as one wavefront, first pointing at the first row's first pixel. prior is
// the row above, or null at the top of a pass.
template<std::size_t Bpp>
QUILTMAP_TARGET_AVX2 void unfilterPaethWavefront(
    std::uint8_t *first, const std::uint8_t *prior, std::size_t stride, std::size_t count)
{
    constexpr std::size_t lastStart = WavefrontShape<Bpp>::lastStart;
    __m256i left = _mm256_setzero_si256();
    __m256i upLeft = left;
    __m256i beforeLeft = left;
    std::size_t i = 0;
    for (; i < lastStart; ++i)
        paethWavefrontStep<Bpp, false>(first, prior, stride, count, i, left, upLeft, beforeLeft);
    for (; i < count; ++i)
        paethWavefrontStep<Bpp, true>(first, prior, stride, count, i, left, upLeft, beforeLeft);
    for (; i < count + lastStart; ++i)
        paethWavefrontStep<Bpp, false>(first, prior, stride, count, i, left, upLeft, beforeLeft);
}

// Rows in one AVX2 wavefront for this pixel size, or 1 where there is none.
template<std::size_t Bpp> constexpr std::uint32_t wavefrontRows()
{
    if constexpr (Bpp >= 1 && Bpp <= 8 && Bpp != 5 && Bpp != 7)
        return WavefrontShape<Bpp>::rows;
    return 1;
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
    const std::size_t stride = rowBytes + 1;
#if defined(QUILTMAP_AVX2_PAETH)
    constexpr std::uint32_t wavefront = wavefrontRows<Bpp>();
    const bool useWavefront = wavefront > 1 && hasAvx2();
#endif
    for (std::uint32_t y = 0; y < rowCount; ++y) {
        std::uint8_t *row = rows + std::size_t(y) * stride;
#if defined(QUILTMAP_AVX2_PAETH)
        if constexpr (wavefront > 1) {
            const auto allPaeth = [&] {
                for (std::uint32_t r = 0; r < wavefront; ++r)
                    if (row[r * stride] != paethFilter)
                        return false;
                return true;
            };
            if (useWavefront && rowCount - y >= wavefront && allPaeth()) {
                unfilterPaethWavefront<Bpp>(row + 1, prior, stride, rowBytes / Bpp);
                y += wavefront - 1;
                prior = row + (wavefront - 1) * stride + 1;
                continue;
            }
        }
#endif
#if defined(__SSE2__)
        if constexpr (Bpp >= 2 && Bpp <= 4) {
            std::uint8_t *next = row + stride;
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
