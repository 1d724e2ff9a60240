#include "sheet/png_pixels.h"

#include "sheet/png_errors.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace quiltmap::sheet {
namespace {

constexpr std::uint8_t greyType = 0;
constexpr std::uint8_t rgbType = 2;
constexpr std::uint8_t paletteType = 3;
constexpr std::uint8_t greyAlphaType = 4;
constexpr std::uint8_t rgbAlphaType = 6;

std::uint16_t u16(const std::uint8_t *p)
{
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

// Sample i of a packed row; samples of less than 8 bits fill each byte from its top bit down.
unsigned sampleAt(const std::uint8_t *row, std::uint32_t i, unsigned depth)
{
    switch (depth) {
    case 1:
        return (row[i >> 3] >> (7 - (i & 7))) & 1u;
    case 2:
        return (row[i >> 2] >> (6 - 2 * (i & 3))) & 3u;
    case 4:
        return (row[i >> 1] >> (4 - 4 * (i & 1))) & 15u;
    case 8:
        return row[i];
    default:
        return u16(row + 2 * std::size_t(i));
    }
}

void setPaletteFormat(
    PngPixelFormat &format, std::span<const std::uint8_t> rgb, std::span<const std::uint8_t> alpha)
{
    // Alpha values beyond the palette belong to no entry; common encoders write them anyway.
    alpha = alpha.first(std::min(alpha.size(), rgb.size() / 3));
    format.paletteSize = static_cast<unsigned>(rgb.size() / 3);
    for (unsigned i = 0; i < format.paletteSize; ++i)
        format.palette[i] = { rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2], 255 };

    unsigned notOpaque = 0;
    for (std::uint8_t a : alpha)
        notOpaque += a < 255 ? 1 : 0;
    const auto firstClear = std::find(alpha.begin(), alpha.end(), std::uint8_t(0));
    // A lone translucent entry with no clear entry blends like several would: keying black
    // instead would hide black pixels that the image never marked see-through.
    if (notOpaque > 1 || (notOpaque == 1 && firstClear == alpha.end())) {
        format.blend = Tile::Blend::PaletteAlpha;
        for (std::size_t i = 0; i < alpha.size(); ++i)
            format.palette[i][3] = alpha[i];
    } else if (notOpaque == 1) {
        // A single clear entry makes a colour key: every entry of its colour becomes see-through.
        const std::size_t keyIndex = 3 * std::size_t(firstClear - alpha.begin());
        format.blend = Tile::Blend::AlphaOver;
        for (unsigned i = 0; i < format.paletteSize; ++i) {
            auto &entry = format.palette[i];
            entry[3] = std::memcmp(entry.data(), rgb.data() + keyIndex, 3) == 0 ? 0 : 255;
        }
    }
}

void setKeyFormat(PngPixelFormat &format, std::span<const std::uint8_t> key)
{
    // A key of the wrong size cannot be read; the image is drawn without one, as common decoders
    // do.
    const std::size_t samples = format.colourType == greyType ? 1 : 3;
    if (key.size() != 2 * samples)
        return;
    format.hasKey = true;
    format.blend = Tile::Blend::AlphaOver;
    for (std::size_t i = 0; i < samples; ++i)
        format.key[i] = u16(key.data() + 2 * i);
}

// Samples are big-endian, so the first byte of a 16-bit sample is its high byte.
std::uint8_t high(const std::uint8_t *sample)
{
    return sample[0];
}

template<unsigned Depth>
void convertGrey(const PngPixelFormat &f, const std::uint8_t *src, std::uint32_t count,
    std::uint8_t *dst, std::size_t step)
{
    constexpr unsigned scale = Depth >= 8 ? 1 : 255 / ((1u << Depth) - 1);
    const bool alphaOut = f.blend != Tile::Blend::Replace;
    // The common step and alpha fixed at compile time make the loop measurably faster.
    const auto convert = [&](std::size_t fixedStep, bool fixedAlphaOut) {
        for (std::uint32_t i = 0; i < count; ++i, dst += fixedStep) {
            const unsigned raw = sampleAt(src, i, Depth);
            const auto v = static_cast<std::uint8_t>(Depth == 16 ? raw >> 8 : raw * scale);
            dst[0] = dst[1] = dst[2] = v;
            if (fixedAlphaOut)
                dst[3] = f.hasKey && raw == f.key[0] ? 0 : 255;
        }
    };
    if (step == 3 && !alphaOut)
        return convert(3, false);
    convert(step, alphaOut);
}

// Colour samples, with or without alpha: gamma applies to red, green and blue only, and a colour
// key compares the full raw samples before any reduction.
template<bool HasAlpha, unsigned Depth>
void convertColour(const PngPixelFormat &f, const std::uint8_t *src, std::uint32_t count,
    std::uint8_t *dst, std::size_t step)
{
    constexpr std::size_t bytes = Depth / 8;
    constexpr std::size_t channels = HasAlpha ? 4 : 3;
    const std::size_t pixelBytes = channels * bytes;
    // Pixels side by side with every sample taken as it is: one run of high bytes, which the
    // compiler turns into vector code.
    if constexpr (Depth == 16) {
        if (step == channels && !f.hasKey && (!f.hasGamma || !HasAlpha)) {
            const std::size_t samples = std::size_t(count) * channels;
            if (f.hasGamma) {
                for (std::size_t k = 0; k < samples; ++k)
                    dst[k] = f.gamma[src[2 * k]];
            } else {
                for (std::size_t k = 0; k < samples; ++k)
                    dst[k] = src[2 * k];
            }
            return;
        }
    }
    for (std::uint32_t i = 0; i < count; ++i, dst += step, src += pixelBytes) {
        for (std::size_t c = 0; c < 3; ++c) {
            const std::uint8_t v = high(src + c * bytes);
            dst[c] = f.hasGamma ? f.gamma[v] : v;
        }
        if constexpr (HasAlpha) {
            dst[3] = high(src + 3 * bytes);
        } else if (f.hasKey) {
            const bool isKey = Depth == 16
                ? u16(src) == f.key[0] && u16(src + 2) == f.key[1] && u16(src + 4) == f.key[2]
                : src[0] == f.key[0] && src[1] == f.key[1] && src[2] == f.key[2];
            dst[3] = isKey ? 0 : 255;
        }
    }
}

template<unsigned Depth, std::size_t Channels>
void convertPalette(const PngPixelFormat &f, const std::uint8_t *src, std::uint32_t count,
    std::uint8_t *dst, std::size_t step)
{
    for (std::uint32_t i = 0; i < count; ++i, dst += step) {
        const unsigned index = sampleAt(src, i, Depth);
        if (index >= f.paletteSize)
            throw PngFailure { PngError::PaletteIndexOutOfRange };
        std::memcpy(dst, f.palette[index].data(), Channels);
    }
}

template<unsigned Depth>
void convertGreyAlpha(const PngPixelFormat &, const std::uint8_t *src, std::uint32_t count,
    std::uint8_t *dst, std::size_t step)
{
    constexpr std::size_t bytes = Depth / 8;
    // The common step fixed at compile time makes the loop measurably faster.
    const auto convert = [&](std::size_t fixedStep) {
        for (std::uint32_t i = 0; i < count; ++i, dst += fixedStep, src += 2 * bytes) {
            dst[0] = dst[1] = dst[2] = high(src);
            dst[3] = high(src + bytes);
        }
    };
    if (step == 4)
        return convert(4);
    convert(step);
}

// Calls convert with the bit depth as a compile-time constant, so that each converter is built
// once per depth and its per-pixel work does not branch on it. The header allows no other depths.
template<typename Convert> void withDepth(unsigned depth, Convert convert)
{
    switch (depth) {
    case 1:
        return convert(std::integral_constant<unsigned, 1> {});
    case 2:
        return convert(std::integral_constant<unsigned, 2> {});
    case 4:
        return convert(std::integral_constant<unsigned, 4> {});
    case 8:
        return convert(std::integral_constant<unsigned, 8> {});
    default:
        return convert(std::integral_constant<unsigned, 16> {});
    }
}

} // namespace

std::array<std::uint8_t, 256> gammaTable(std::uint32_t gammaValue)
{
    const double g = gammaValue / 100000.0;
    const double exponent = 1.0 / (g * 2.2);
    std::array<std::uint8_t, 256> table {};
    for (unsigned v = 0; v < table.size(); ++v)
        table[v] = static_cast<std::uint8_t>(std::nearbyint(255.0 * std::pow(v / 255.0, exponent)));
    return table;
}

namespace {

// The tiles of a folder mostly share one gamma value, and a table takes 256 powers to build.
const std::array<std::uint8_t, 256> &sharedGammaTable(std::uint32_t gammaValue)
{
    thread_local std::uint32_t value = 0;
    thread_local std::array<std::uint8_t, 256> table {};
    if (value != gammaValue) {
        table = gammaTable(gammaValue);
        value = gammaValue;
    }
    return table;
}

} // namespace

PngPixelFormat makePixelFormat(std::uint8_t colourType, std::uint8_t bitDepth,
    std::span<const std::uint8_t> paletteRgb,
    std::optional<std::span<const std::uint8_t>> transparency, std::uint32_t gammaValue)
{
    PngPixelFormat format;
    format.colourType = colourType;
    format.bitDepth = bitDepth;
    switch (colourType) {
    case paletteType:
        setPaletteFormat(
            format, paletteRgb, transparency.value_or(std::span<const std::uint8_t> {}));
        break;
    case greyType:
    case rgbType:
        if (transparency)
            setKeyFormat(format, *transparency);
        break;
    default:
        // The alpha channel decides; a transparency chunk has no meaning here and is ignored.
        format.blend = Tile::Blend::AlphaOver;
        break;
    }
    // A gamma of 0 has no meaning (it would turn every colour black) and is ignored.
    if ((colourType == rgbType || colourType == rgbAlphaType) && gammaValue != 0) {
        format.hasGamma = true;
        format.gamma = sharedGammaTable(gammaValue);
    }
    return format;
}

void convertScanline(const PngPixelFormat &format, const std::uint8_t *src, std::uint32_t count,
    std::uint8_t *dst, std::size_t dstStep)
{
    withDepth(format.bitDepth, [&](auto depth) {
        constexpr unsigned Depth = decltype(depth)::value;
        switch (format.colourType) {
        case greyType:
            return convertGrey<Depth>(format, src, count, dst, dstStep);
        case paletteType:
            if constexpr (Depth <= 8) {
                if (format.blend == Tile::Blend::Replace)
                    return convertPalette<Depth, 3>(format, src, count, dst, dstStep);
                return convertPalette<Depth, 4>(format, src, count, dst, dstStep);
            }
            break;
        case rgbType:
            if constexpr (Depth >= 8)
                return convertColour<false, Depth>(format, src, count, dst, dstStep);
            break;
        case greyAlphaType:
            if constexpr (Depth >= 8)
                return convertGreyAlpha<Depth>(format, src, count, dst, dstStep);
            break;
        default:
            if constexpr (Depth >= 8)
                return convertColour<true, Depth>(format, src, count, dst, dstStep);
            break;
        }
    });
}

} // namespace quiltmap::sheet
