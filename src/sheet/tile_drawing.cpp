#include "sheet/tile_drawing.h"

#include "sheet/cpu_features.h"

#include <algorithm>
#include <cstring>

#if defined(QUILTMAP_HAS_AVX2_CODE)
#include <immintrin.h>
#endif

namespace quiltmap::sheet {
namespace {

std::uint8_t alphaOverChannel(unsigned old, unsigned value, unsigned a)
{
    return static_cast<std::uint8_t>((old * (255 - a) + value * a + 127) / 255);
}

std::uint8_t paletteAlphaChannel(unsigned old, unsigned value, unsigned a)
{
    return static_cast<std::uint8_t>((a * value + (255 - a) * old + 255) >> 8);
}

void blendAlphaOverPlain(std::uint8_t *dst, const std::uint8_t *src, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i, dst += 3, src += 4) {
        const unsigned a = src[3];
        if (a == 255) {
            std::memcpy(dst, src, 3);
        } else if (a != 0) {
            for (int c = 0; c < 3; ++c)
                dst[c] = alphaOverChannel(dst[c], src[c], a);
        }
    }
}

#if defined(QUILTMAP_HAS_AVX2_CODE)
// alphaOverChannel in 16 lanes; the division by 255 is a multiply, exact for every 16-bit
// dividend.
QUILTMAP_TARGET_AVX2 inline __m256i alphaOverLanes(__m256i old, __m256i value, __m256i a)
{
    const __m256i kept = _mm256_mullo_epi16(old, _mm256_sub_epi16(_mm256_set1_epi16(255), a));
    const __m256i sum = _mm256_add_epi16(
        _mm256_add_epi16(kept, _mm256_mullo_epi16(value, a)), _mm256_set1_epi16(127));
    return _mm256_srli_epi16(_mm256_mulhi_epu16(sum, _mm256_set1_epi16(short(0x8081))), 7);
}

// Eight pixels at a time in 16-bit lanes, four in each half of the register, without the
// branches on alpha that edges make unpredictable: alpha 255 gives exactly the new value and
// alpha 0 the old one anyway.
QUILTMAP_TARGET_AVX2 void blendAlphaOverLanes(
    std::uint8_t *dst, const std::uint8_t *src, std::size_t count)
{
    constexpr char none = -1;
    // The raster's 24 bytes arrive as bytes 0-15 in the low half and 8-23 in the high one.
    const __m256i toRgbx = _mm256_setr_epi8(0, 1, 2, none, 3, 4, 5, none, 6, 7, 8, none, 9, 10, 11,
        none, 4, 5, 6, none, 7, 8, 9, none, 10, 11, 12, none, 13, 14, 15, none);
    // And leave as bytes 0-11 of the low half and 4-15 of the high one.
    const __m256i toRgb = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, none, none, none,
        none, none, none, none, none, 0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14);
    const __m256i alphaLow = _mm256_setr_epi8(3, none, 3, none, 3, none, 3, none, 7, none, 7, none,
        7, none, 7, none, 3, none, 3, none, 3, none, 3, none, 7, none, 7, none, 7, none, 7, none);
    const __m256i alphaHigh
        = _mm256_setr_epi8(11, none, 11, none, 11, none, 11, none, 15, none, 15, none, 15, none, 15,
            none, 11, none, 11, none, 11, none, 11, none, 15, none, 15, none, 15, none, 15, none);
    const __m256i zero = _mm256_setzero_si256();
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8, dst += 24, src += 32) {
        const __m256i under = _mm256_shuffle_epi8(
            _mm256_inserti128_si256(
                _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(dst))),
                _mm_loadu_si128(reinterpret_cast<const __m128i *>(dst + 8)), 1),
            toRgbx);
        const __m256i over = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(src));
        const __m256i low = alphaOverLanes(_mm256_unpacklo_epi8(under, zero),
            _mm256_unpacklo_epi8(over, zero), _mm256_shuffle_epi8(over, alphaLow));
        const __m256i high = alphaOverLanes(_mm256_unpackhi_epi8(under, zero),
            _mm256_unpackhi_epi8(over, zero), _mm256_shuffle_epi8(over, alphaHigh));
        const __m256i rgb = _mm256_shuffle_epi8(_mm256_packus_epi16(low, high), toRgb);
        // The high half first: its four leading bytes are filler that the low half overwrites.
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + 8), _mm256_extracti128_si256(rgb, 1));
        const __m128i first = _mm256_castsi256_si128(rgb);
        const auto head = static_cast<std::uint64_t>(_mm_cvtsi128_si64(first));
        const auto tail = std::uint32_t(_mm_extract_epi32(first, 2));
        std::memcpy(dst, &head, 8);
        std::memcpy(dst + 8, &tail, 4);
    }
    blendAlphaOverPlain(dst, src, count - i);
}
#endif

void blendAlphaOver(std::uint8_t *dst, const std::uint8_t *src, std::size_t count)
{
#if defined(QUILTMAP_HAS_AVX2_CODE)
    if (hasAvx2())
        return blendAlphaOverLanes(dst, src, count);
#endif
    blendAlphaOverPlain(dst, src, count);
}

// Alpha 255 gives exactly the new value and alpha 0 the old one here too.
void blendPaletteAlpha(std::uint8_t *dst, const std::uint8_t *src, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i, dst += 3, src += 4) {
        const unsigned a = src[3];
        if (a == 255) {
            std::memcpy(dst, src, 3);
        } else if (a != 0) {
            for (int c = 0; c < 3; ++c)
                dst[c] = paletteAlphaChannel(dst[c], src[c], a);
        }
    }
}

// Onto a raster with alpha: over an opaque pixel a tile pixel blends exactly as on an opaque
// raster; over an empty one it keeps its own colour and alpha; over a translucent one (where
// tiles overlap) the two combine by the usual source-over rule.
void blendOntoAlpha(
    std::uint8_t *dst, const std::uint8_t *src, std::size_t count, Tile::Blend blend)
{
    const int srcChannels = Tile::channelsFor(blend);
    for (std::size_t i = 0; i < count; ++i, dst += 4, src += srcChannels) {
        const unsigned a = blend == Tile::Blend::Replace ? 255 : src[3];
        const unsigned under = dst[3];
        if (a == 0)
            continue;
        if (a == 255 || under == 0) {
            std::memcpy(dst, src, 3);
            dst[3] = static_cast<std::uint8_t>(a);
        } else if (under == 255) {
            for (int c = 0; c < 3; ++c)
                dst[c] = blend == Tile::Blend::PaletteAlpha ? paletteAlphaChannel(dst[c], src[c], a)
                                                            : alphaOverChannel(dst[c], src[c], a);
        } else {
            const unsigned keptUnder = under * (255 - a); // scaled by 255
            const unsigned out = a * 255 + keptUnder; // the result's alpha, scaled by 255
            for (int c = 0; c < 3; ++c)
                dst[c] = static_cast<std::uint8_t>(
                    (src[c] * a * 255 + dst[c] * keptUnder + out / 2) / out);
            dst[3] = static_cast<std::uint8_t>((out + 127) / 255);
        }
    }
}

// The sheet is far larger than the cache, and blending reads it: asking for every row the tile
// covers first lets their loads overlap instead of each row waiting for its own.
void prefetchRows(const RasterBand &band, std::int64_t top, std::int64_t bottom, std::size_t offset,
    std::size_t bytes)
{
    constexpr std::size_t cacheLine = 64;
    for (std::int64_t row = top; row < bottom; ++row) {
        const std::uint8_t *start = band.row(static_cast<int>(row)) + offset;
        for (std::size_t at = 0; at < bytes; at += cacheLine)
            __builtin_prefetch(start + at, 1);
        __builtin_prefetch(start + bytes - 1, 1);
    }
}

} // namespace

void drawTile(Raster &raster, const Tile &tile, int x, int y)
{
    drawTile(raster.band(), tile, x, y);
}

void drawTile(const RasterBand &band, const Tile &tile, int x, int y)
{
    // Clipping in 64 bits keeps positions near the int range from wrapping.
    const std::int64_t left = std::max<std::int64_t>(x, 0);
    const std::int64_t top = std::max<std::int64_t>(y, band.top);
    const std::int64_t right = std::min<std::int64_t>(std::int64_t(x) + tile.width(), band.width);
    const std::int64_t bottom
        = std::min<std::int64_t>(std::int64_t(y) + tile.height(), band.bottom);
    if (left >= right || top >= bottom)
        return;

    const auto count = static_cast<std::size_t>(right - left);
    const auto srcOffset = static_cast<std::size_t>(left - x) * tile.channels();
    const bool hasAlpha = band.channels == 4;
    if (tile.blend() != Tile::Blend::Replace || hasAlpha)
        prefetchRows(band, top, bottom, std::size_t(left) * band.channels,
            count * std::size_t(band.channels));
    for (std::int64_t row = top; row < bottom; ++row) {
        const std::uint8_t *src = tile.row(static_cast<int>(row - y)) + srcOffset;
        std::uint8_t *dst = band.row(static_cast<int>(row)) + left * band.channels;
        if (hasAlpha) {
            blendOntoAlpha(dst, src, count, tile.blend());
            continue;
        }
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
