#include "deflate/adler32.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quiltmap::deflate {
namespace {

constexpr std::uint32_t modulus = 65521;
// The most bytes after which neither sum can have left 32 bits when both started below the
// modulus.
constexpr std::size_t sumsStayIn32Bits = 5552;

#if defined(__SSE2__)
std::uint32_t sum32(__m128i v)
{
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 3, 2)));
    v = _mm_add_epi32(v, _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 3, 0, 1)));
    return std::uint32_t(_mm_cvtsi128_si32(v));
}

// Sums whole 16-byte steps of `count` bytes into a and b. Each step adds its bytes to a and,
// to b, a times 16 plus its bytes weighted 16 down to 1; a's share is gathered as the sum of a
// before each step and multiplied once at the end.
void addSteps(std::uint32_t &a, std::uint32_t &b, const std::uint8_t *p, std::size_t count)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i firstWeights = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
    const __m128i lastWeights = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
    __m128i bytes = zero;
    __m128i bytesBefore = zero;
    __m128i weighted = zero;
    for (const std::uint8_t *end = p + count; p != end; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        bytesBefore = _mm_add_epi32(bytesBefore, bytes);
        bytes = _mm_add_epi32(bytes, _mm_sad_epu8(v, zero));
        weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(v, zero), firstWeights));
        weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(v, zero), lastWeights));
    }
    const std::uint64_t bSum = b + std::uint64_t(a) * count + 16 * std::uint64_t(sum32(bytesBefore))
        + sum32(weighted);
    a = std::uint32_t((a + std::uint64_t(sum32(bytes))) % modulus);
    b = std::uint32_t(bSum % modulus);
}
#endif

} // namespace

std::uint32_t adler32(std::uint32_t adler, std::span<const std::uint8_t> bytes)
{
    std::uint32_t a = adler & 0xffff;
    std::uint32_t b = adler >> 16;
    const std::uint8_t *p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        std::size_t n = std::min(left, sumsStayIn32Bits);
        left -= n;
#if defined(__SSE2__)
        const std::size_t steps = n & ~std::size_t(15);
        addSteps(a, b, p, steps);
        p += steps;
        n -= steps;
#endif
        for (; n > 0; --n) {
            a += *p++;
            b += a;
        }
        a %= modulus;
        b %= modulus;
    }
    return b << 16 | a;
}

} // namespace quiltmap::deflate
