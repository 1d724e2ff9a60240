#include "common/error.h"
#include "png_test_images.h"
#include "sheet/png_errors.h"
#include "sheet/png_reader.h"
#include "sheet/png_scanlines.h"
#include "support/largest_allocation.h"
#include "support/temp_dir.h"

#include <QImage>
#include <gtest/gtest.h>
#include <random>
#include <string_view>
#include <zlib.h>

namespace quiltmap::sheet::test {
namespace {

using pngbuilder::buildPng;
using pngbuilder::chunkBytes;
using pngbuilder::PngRecipe;

// The value of pixel x's sample c read straight from a packed row, at the image's bit depth.
unsigned rawSample(
    const std::uint8_t *row, std::uint32_t x, unsigned c, unsigned samples, unsigned depth)
{
    const std::size_t index = std::size_t(x) * samples + c;
    if (depth == 16)
        return row[2 * index] << 8 | row[2 * index + 1];
    const std::size_t bit = index * depth;
    return (row[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
}

// What a decoder must make of pixel (x, y) of an image without transparency chunk or gamma.
std::array<std::uint8_t, 4> expectedPixel(const PngRecipe &recipe, std::uint32_t x, std::uint32_t y)
{
    const unsigned samples = recipe.colourType == 2 ? 3
        : recipe.colourType == 4                    ? 2
        : recipe.colourType == 6                    ? 4
                                                    : 1;
    const std::uint8_t *row = recipe.samples.data()
        + y * pngbuilder::scanlineBytes(recipe.width, recipe.colourType, recipe.bitDepth);
    auto to8 = [&](unsigned c) {
        const unsigned v = rawSample(row, x, c, samples, recipe.bitDepth);
        return static_cast<std::uint8_t>(
            recipe.bitDepth == 16 ? v >> 8 : v * 255 / ((1u << recipe.bitDepth) - 1));
    };
    switch (recipe.colourType) {
    case 0:
        return { to8(0), to8(0), to8(0), 255 };
    case 2:
        return { to8(0), to8(1), to8(2), 255 };
    case 3: {
        const unsigned i = rawSample(row, x, 0, 1, recipe.bitDepth);
        return { recipe.palette[3 * i], recipe.palette[3 * i + 1], recipe.palette[3 * i + 2], 255 };
    }
    case 4:
        return { to8(0), to8(0), to8(0), to8(1) };
    default:
        return { to8(0), to8(1), to8(2), to8(3) };
    }
}

struct FormatCase
{
    std::uint8_t colourType;
    std::uint8_t bitDepth;
    bool interlaced;
};

std::string formatName(const testing::TestParamInfo<FormatCase> &info)
{
    return "Type" + std::to_string(info.param.colourType) + "Depth"
        + std::to_string(info.param.bitDepth) + (info.param.interlaced ? "Adam7" : "Plain");
}

std::vector<FormatCase> allFormats()
{
    std::vector<FormatCase> cases;
    for (const auto [type, depth] : pngbuilder::validPngFormats())
        for (bool interlaced : { false, true })
            cases.push_back({ type, depth, interlaced });
    return cases;
}

void PrintTo(const FormatCase &f, std::ostream *out)
{
    *out << "type " << int(f.colourType) << " depth " << int(f.bitDepth)
         << (f.interlaced ? " Adam7" : "");
}

class PngReaderFormats : public testing::TestWithParam<FormatCase>
{
};

// Sizes around the Adam7 block of 8 leave some passes empty or partly filled.
TEST_P(PngReaderFormats, DecodesEverySampleOfEverySize)
{
    const FormatCase f = GetParam();
    for (auto [width, height] :
        { std::pair(1u, 1u), std::pair(3u, 2u), std::pair(13u, 11u), std::pair(48u, 48u) }) {
        const PngRecipe recipe
            = randomImage(width, height, f.colourType, f.bitDepth, f.interlaced, width);
        const Tile tile = decodePng(bytesOf(buildPng(recipe)));
        ASSERT_EQ(tile.width(), int(width));
        ASSERT_EQ(tile.height(), int(height));
        EXPECT_EQ(tile.blend(), f.colourType >= 4 ? Tile::Blend::AlphaOver : Tile::Blend::Replace);
        for (std::uint32_t y = 0; y < height; ++y)
            for (std::uint32_t x = 0; x < width; ++x)
                ASSERT_EQ(tilePixel(tile, int(x), int(y)), expectedPixel(recipe, x, y))
                    << "pixel " << x << "," << y << " of " << width << "x" << height;
    }
}

// The row filters read byte by byte, as the format defines them.
void plainUnfilter(Bytes &rows, std::size_t rowCount, std::size_t rowBytes, std::size_t bpp)
{
    const auto paeth = [](int a, int b, int c) {
        const int p = a + b - c;
        const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
    };
    for (std::size_t y = 0; y < rowCount; ++y) {
        std::uint8_t *row = rows.data() + y * (rowBytes + 1);
        for (std::size_t i = 1; i <= rowBytes; ++i) {
            const int a = i > bpp ? row[i - bpp] : 0;
            const int b = y > 0 ? row[i - rowBytes - 1] : 0;
            const int c = y > 0 && i > bpp ? row[i - bpp - rowBytes - 1] : 0;
            const int predicted[] { 0, a, b, (a + b) / 2, paeth(a, b, c) };
            row[i] = std::uint8_t(row[i] + predicted[row[0]]);
        }
    }
}

// Every pixel size, every filter after every other (a de Bruijn sequence of the five) and each
// also on the first row; bytes of few values make the Paeth predictor's ties common.
TEST(PngScanlines, UnfilterMatchesThePlainDefinitions)
{
    constexpr std::string_view filterPairs = "0010203041121314223243344";
    constexpr std::size_t rowCount = filterPairs.size() + 1;
    std::mt19937 random(3);
    for (std::size_t bpp : { 1, 2, 3, 4, 6, 8 }) {
        for (const auto &[pixels, values] :
            { std::pair(13u, 3u), std::pair(13u, 256u), std::pair(1u, 256u) }) {
            for (std::size_t firstFilter = 0; firstFilter < 5; ++firstFilter) {
                const std::size_t rowBytes = pixels * bpp;
                Bytes rows((rowBytes + 1) * rowCount);
                for (std::size_t i = 0; i < rows.size(); ++i) {
                    const std::size_t y = i / (rowBytes + 1);
                    rows[i] = i % (rowBytes + 1) == 0 ? std::uint8_t(
                                  filterPairs[(2 * firstFilter + y) % filterPairs.size()] - '0')
                                                      : std::uint8_t(random() % values);
                }
                Bytes expected = rows;
                plainUnfilter(expected, rowCount, rowBytes, bpp);
                unfilterPass(rows.data(), rowCount, rowBytes, unsigned(bpp));
                ASSERT_EQ(rows, expected) << bpp << " bytes per pixel, " << pixels << " pixels, "
                                          << values << " values, first filter " << firstFilter;
            }
        }
    }
}

// Runs of Paeth rows are unfiltered several rows at once: every run length around the group
// sizes, from the top of a pass and below another filter, now and then broken by another filter.
TEST(PngScanlines, UnfilterMatchesThePlainDefinitionsOnPaethRuns)
{
    std::mt19937 random(5);
    for (std::size_t bpp : { 1, 2, 3, 4, 6, 8 }) {
        for (std::size_t pixels = 1; pixels <= 9; ++pixels) {
            for (std::size_t rowCount = 1; rowCount <= 11; ++rowCount) {
                for (const bool brokenRuns : { false, true }) {
                    const std::size_t rowBytes = pixels * bpp;
                    Bytes rows((rowBytes + 1) * rowCount);
                    for (std::size_t i = 0; i < rows.size(); ++i)
                        rows[i] = std::uint8_t(random() % (i % 3 == 0 ? 4 : 256));
                    for (std::size_t y = 0; y < rowCount; ++y)
                        rows[y * (rowBytes + 1)] = brokenRuns && random() % 4 == 0
                            ? std::uint8_t(random() % 4)
                            : std::uint8_t(4);
                    Bytes expected = rows;
                    plainUnfilter(expected, rowCount, rowBytes, bpp);
                    unfilterPass(rows.data(), std::uint32_t(rowCount), rowBytes, unsigned(bpp));
                    ASSERT_EQ(rows, expected) << bpp << " bytes per pixel, " << pixels
                                              << " pixels, " << rowCount << " rows";
                }
            }
        }
    }
}

// QImage rounds 16-bit samples instead of taking their high byte, so it checks the rest.
class PngReaderEightBitFormats : public testing::TestWithParam<FormatCase>
{
};

// An independent decoder agrees wherever the 8-bit results are defined the same way.
TEST_P(PngReaderEightBitFormats, AgreeWithQImage)
{
    const FormatCase f = GetParam();
    const Bytes file = buildPng(randomImage(21, 17, f.colourType, f.bitDepth, f.interlaced, 7));
    const Tile tile = decodePng(bytesOf(file));
    const QImage image = QImage::fromData(file.data(), int(file.size()), "PNG")
                             .convertToFormat(QImage::Format_RGBA8888);
    ASSERT_FALSE(image.isNull());
    for (int y = 0; y < tile.height(); ++y) {
        for (int x = 0; x < tile.width(); ++x) {
            const uchar *q = image.constScanLine(y) + 4 * x;
            const auto p = tilePixel(tile, x, y);
            ASSERT_EQ(p[3], q[3]) << x << "," << y;
            if (p[3] != 0) {
                ASSERT_EQ((std::array<std::uint8_t, 3> { p[0], p[1], p[2] }),
                    (std::array<std::uint8_t, 3> { q[0], q[1], q[2] }))
                    << x << "," << y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, PngReaderFormats, testing::ValuesIn(allFormats()), formatName);

std::vector<FormatCase> eightBitFormats()
{
    std::vector<FormatCase> cases = allFormats();
    std::erase_if(cases, [](const FormatCase &f) { return f.bitDepth == 16; });
    return cases;
}

INSTANTIATE_TEST_SUITE_P(
    UpToEightBits, PngReaderEightBitFormats, testing::ValuesIn(eightBitFormats()), formatName);

Tile decodeRecipe(const PngRecipe &recipe)
{
    return decodePng(bytesOf(buildPng(recipe)));
}

// One row of the given samples; the width follows from the sample count.
PngRecipe row(std::uint8_t colourType, std::uint8_t bitDepth, Bytes samples)
{
    PngRecipe recipe;
    recipe.colourType = colourType;
    recipe.bitDepth = bitDepth;
    recipe.width
        = std::uint32_t(samples.size() / pngbuilder::scanlineBytes(1, colourType, bitDepth));
    recipe.samples = std::move(samples);
    return recipe;
}

PngRecipe solidRgb(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return row(2, 8, { r, g, b });
}

using Pixel = std::array<std::uint8_t, 4>;

TEST(PngReader, SplitIdatAndSkippedChunksDecodeAlike)
{
    PngRecipe recipe = randomImage(30, 20, 6, 8, false, 3);
    const Tile whole = decodeRecipe(recipe);
    recipe.idatChunkSize = 1;
    recipe.chunksBeforeImageData = { { "tEXt", { 'a', 0, 'b' } }, { "zzZz", {} } };
    recipe.chunksAfterImageData = { { "tIME", { 1, 2, 3, 4, 5, 6, 7 } } };
    const Tile split = decodeRecipe(recipe);
    for (int y = 0; y < 20; ++y)
        ASSERT_TRUE(std::equal(whole.row(y), whole.row(y) + whole.bytesPerRow(), split.row(y)));
}

TEST(PngReader, IgnoresBytesAfterTheEnd)
{
    Bytes file = buildPng(solidRgb(1, 2, 3));
    file.insert(file.end(), { 0xde, 0xad, 0xbe, 0xef });
    EXPECT_EQ(tilePixel(decodePng(bytesOf(file)), 0, 0), (Pixel { 1, 2, 3, 255 }));
}

struct GammaCase
{
    const char *name;
    PngRecipe recipe;
    std::uint32_t gamma;
    std::vector<Pixel> expected;
};

void PrintTo(const GammaCase &c, std::ostream *out)
{
    *out << c.name;
}

std::string gammaName(const testing::TestParamInfo<GammaCase> &info)
{
    return info.param.name;
}

PngRecipe onePaletteEntry(Bytes rgb)
{
    PngRecipe recipe = row(3, 8, { 0 });
    recipe.palette = std::move(rgb);
    return recipe;
}

class PngReaderGamma : public testing::TestWithParam<GammaCase>
{
};

// 255 * (v / 255) ^ (1 / (g * 2.2)) rounded to nearest, for colour samples only.
TEST_P(PngReaderGamma, MapsColourSamples)
{
    PngRecipe recipe = GetParam().recipe;
    recipe.gamma = GetParam().gamma;
    const Tile tile = decodeRecipe(recipe);
    for (std::size_t x = 0; x < GetParam().expected.size(); ++x)
        EXPECT_EQ(tilePixel(tile, int(x), 0), GetParam().expected[x]) << "pixel " << x;
}

const Bytes gammaRamp { 0, 1, 64, 128, 200, 254, 255, 255, 255 };

INSTANTIATE_TEST_SUITE_P(Images, PngReaderGamma,
    testing::Values(GammaCase { "Rgb100000", row(2, 8, gammaRamp), 100000,
                        { { 0, 21, 136, 255 }, { 186, 228, 255, 255 }, { 255, 255, 255, 255 } } },
        GammaCase { "Rgb220000", row(2, 8, gammaRamp), 220000,
            { { 0, 81, 192, 255 }, { 221, 243, 255, 255 } } },
        GammaCase { "Rgb45455IsAlmostIdentity", row(2, 8, gammaRamp), 45455,
            { { 0, 1, 64, 255 }, { 128, 200, 254, 255 } } },
        GammaCase { "RgbaSixteenBitsAlphaUntouched", row(6, 16, { 128, 0, 64, 0, 1, 0, 128, 0 }),
            100000, { { 186, 136, 21, 128 } } },
        GammaCase { "GreyUnmapped", row(0, 8, { 128 }), 100000, { { 128, 128, 128, 255 } } },
        GammaCase { "GreyAlphaUnmapped", row(4, 8, { 128, 7 }), 100000, { { 128, 128, 128, 7 } } },
        GammaCase {
            "PaletteUnmapped", onePaletteEntry({ 128, 64, 1 }), 100000, { { 128, 64, 1, 255 } } },
        // A gamma of 0 would turn every sample below 255 black; it carries no information.
        GammaCase { "ZeroIgnored", row(2, 8, { 128, 64, 1 }), 0, { { 128, 64, 1, 255 } } }),
    gammaName);

TEST(PngReader, ColourKeyComparesFullSixteenBitSamples)
{
    PngRecipe grey = row(0, 16, { 0x12, 0x34, 0x12, 0x00 });
    grey.transparency = Bytes { 0x12, 0x34 };
    Tile tile = decodeRecipe(grey);
    EXPECT_EQ(tile.blend(), Tile::Blend::AlphaOver);
    EXPECT_EQ(tilePixel(tile, 0, 0)[3], 0);
    EXPECT_EQ(tilePixel(tile, 1, 0), (Pixel { 0x12, 0x12, 0x12, 255 }));

    PngRecipe rgb = row(2, 16, { 1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 7 });
    rgb.transparency = Bytes { 1, 2, 3, 4, 5, 6 };
    tile = decodeRecipe(rgb);
    EXPECT_EQ(tilePixel(tile, 0, 0)[3], 0);
    EXPECT_EQ(tilePixel(tile, 1, 0), (Pixel { 1, 3, 5, 255 }));
}

TEST(PngReader, AcceptsPaletteLongerThanTheBitDepthNeeds)
{
    PngRecipe recipe = row(3, 1, { 0x40 });
    recipe.width = 2;
    recipe.palette = { 1, 2, 3, 4, 5, 6, 7, 8, 9 };
    const Tile tile = decodeRecipe(recipe);
    EXPECT_EQ(tilePixel(tile, 0, 0), (Pixel { 1, 2, 3, 255 }));
    EXPECT_EQ(tilePixel(tile, 1, 0), (Pixel { 4, 5, 6, 255 }));
}

// Damaged ancillary chunks lose their effect instead of failing a file other programs show.
TEST(PngReader, ToleratesDamagedTransparencyAndGamma)
{
    PngRecipe palette = row(3, 8, { 0, 1 });
    palette.palette = { 1, 2, 3, 4, 5, 6 };
    palette.transparency = Bytes { 0, 128, 7 };
    Tile tile = decodeRecipe(palette);
    EXPECT_EQ(tile.blend(), Tile::Blend::PaletteAlpha);
    EXPECT_EQ(tilePixel(tile, 0, 0), (Pixel { 1, 2, 3, 0 }));
    EXPECT_EQ(tilePixel(tile, 1, 0), (Pixel { 4, 5, 6, 128 }));

    PngRecipe key = solidRgb(0, 1, 0);
    key.transparency = Bytes { 0, 1, 0, 2 };
    EXPECT_EQ(decodeRecipe(key).blend(), Tile::Blend::Replace);

    PngRecipe early = row(3, 8, { 0 });
    early.chunksBeforeImageData = { { "PLTE", { 1, 2, 3 } } };
    early.transparency = Bytes { 0 };
    EXPECT_EQ(decodeRecipe(early).blend(), Tile::Blend::Replace);

    PngRecipe gamma = solidRgb(128, 64, 1);
    gamma.chunksBeforeImageData = { { "gAMA", { 0, 1, 134 } } };
    EXPECT_EQ(tilePixel(decodeRecipe(gamma), 0, 0), (Pixel { 128, 64, 1, 255 }));
}

TEST(PngReader, IgnoresTransparencyChunkOfImagesWithAlpha)
{
    PngRecipe recipe = row(4, 8, { 9, 200 });
    recipe.transparency = Bytes { 0, 9 };
    EXPECT_EQ(tilePixel(decodeRecipe(recipe), 0, 0), (Pixel { 9, 9, 9, 200 }));
}

TEST(PngReader, ReadsFiles)
{
    const quiltmap::test::TempDir dir;
    const Bytes file = buildPng(solidRgb(7, 8, 9));
    const QString path = dir.write(QStringLiteral("a.png"),
        QByteArray(reinterpret_cast<const char *>(file.data()), qsizetype(file.size())));
    EXPECT_EQ(tilePixel(readPngFile(path), 0, 0), (Pixel { 7, 8, 9, 255 }));

    const QString missing = dir.filePath(QStringLiteral("missing.png"));
    try {
        readPngFile(missing);
        FAIL() << "a missing file must not decode";
    } catch (const Error &error) {
        EXPECT_TRUE(error.message().startsWith(
            QStringLiteral("Datei %1 kann nicht geöffnet werden. ").arg(missing)))
            << error.message().toStdString();
        EXPECT_GT(error.message().size(),
            QStringLiteral("Datei %1 kann nicht geöffnet werden. ").arg(missing).size());
    }
}

TEST(PngReader, InvalidSignatureMessageIsExact)
{
    try {
        decodePng(bytesOf(Bytes { 'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0 }));
        FAIL() << "a BMP header must not decode";
    } catch (const Error &error) {
        EXPECT_EQ(error.message(),
            QStringLiteral("Die gerade gelesene Datei ist kein gültiges PNG-Bild (\"Portable "
                           "Network Graphics\"), "
                           "weil sie keinen gültigen Header enthält. Diese Datei ist "
                           "möglicherweise beschädigt. "
                           "Versuchen Sie, eine neue Version davon zu bekommen"));
    }
}

// Assembles a file from the signature and the given chunks.
Bytes fileOf(const std::vector<Bytes> &chunks)
{
    Bytes file = pngbuilder::pngSignatureBytes();
    for (const Bytes &chunk : chunks)
        file.insert(file.end(), chunk.begin(), chunk.end());
    return file;
}

Bytes header(std::uint32_t width, std::uint32_t height, std::uint8_t depth, std::uint8_t type,
    std::uint8_t compression = 0, std::uint8_t filter = 0, std::uint8_t interlace = 0)
{
    return chunkBytes("IHDR",
        { std::uint8_t(width >> 24), std::uint8_t(width >> 16), std::uint8_t(width >> 8),
            std::uint8_t(width), std::uint8_t(height >> 24), std::uint8_t(height >> 16),
            std::uint8_t(height >> 8), std::uint8_t(height), depth, type, compression, filter,
            interlace });
}

// The IDAT chunks of a built file, for reuse under another header.
Bytes imageDataOf(const PngRecipe &recipe)
{
    PngRecipe only = recipe;
    only.writeEnd = false;
    const Bytes file = buildPng(only);
    // Signature (8) and IHDR (25) come first; PLTE and others are not used with this helper.
    return Bytes(file.begin() + 33, file.end());
}

Bytes zlibOf(const Bytes &raw)
{
    uLongf size = compressBound(uLong(raw.size()));
    Bytes out(size);
    compress(out.data(), &size, raw.data(), uLong(raw.size()));
    out.resize(size);
    return out;
}

struct FailureCase
{
    const char *name;
    Bytes file;
    PngError error;
    PngLimits limits = {};
};

std::vector<FailureCase> failureCases()
{
    const Bytes end = chunkBytes("IEND", {});
    const PngRecipe rgb4 = randomImage(4, 4, 2, 8, false);
    const Bytes rgbData = imageDataOf(rgb4);
    const Bytes valid = buildPng(rgb4);
    Bytes wrongSignature = valid;
    wrongSignature[1] = 'Q';
    PngRecipe badFilter = rgb4;
    badFilter.filter = 5;
    PngRecipe paletteNoPlte = randomImage(4, 4, 3, 8, false);
    paletteNoPlte.palette.clear();
    PngRecipe outOfRange = randomImage(2, 1, 3, 8, false);
    outOfRange.palette = { 1, 2, 3, 4, 5, 6 };
    outOfRange.samples = { 1, 2 };
    PngRecipe plteInGrey = randomImage(2, 2, 0, 8, false);
    plteInGrey.palette = { 1, 2, 3 };
    PngRecipe tooBigPalette = randomImage(2, 2, 3, 8, false);
    tooBigPalette.palette.resize(257 * 3);
    PngRecipe oddPalette = randomImage(2, 2, 3, 8, false);
    oddPalette.palette.resize(4);
    PngRecipe unknownCritical = rgb4;
    unknownCritical.chunksBeforeImageData = { { "ABCD", {} } };
    PngRecipe badName = rgb4;
    badName.chunksBeforeImageData = { { "ab1d", {} } };
    PngRecipe split = rgb4;
    split.idatChunkSize = 10;
    split.chunksAfterImageData = { { "tEXt", { 'a', 0 } } };
    Bytes splitFile = buildPng(split);
    // Moves the text chunk between the IDAT chunks: image data must be contiguous.
    PngRecipe corruptAncillary = rgb4;
    corruptAncillary.chunksAfterImageData = { { "tEXt", { 'a', 0 } } };
    corruptAncillary.corruptCrcOf = "tEXt";
    PngRecipe noEnd = rgb4;
    noEnd.writeEnd = false;
    Bytes adlerMissing = zlibOf(Bytes(4 * 13, 0));
    adlerMissing.resize(adlerMissing.size() - 4);
    Bytes adlerWrong = zlibOf(Bytes(4 * 13, 0));
    adlerWrong.back() ^= 1;
    // The zlib header's two bytes: check value, method, window size, preset dictionary.
    const auto withZlibHeader = [&](std::uint8_t method, std::uint8_t flags) {
        Bytes stream = zlibOf(Bytes(4 * 13, 0));
        stream[0] = method;
        stream[1] = flags;
        return fileOf({ header(4, 4, 8, 2), chunkBytes("IDAT", stream), end });
    };

    PngLimits narrow;
    narrow.maxWidth = 3;
    PngLimits fewPixels;
    fewPixels.maxPixels = 15;

    auto corruptCrc = [&](const char *type) {
        PngRecipe recipe = rgb4;
        recipe.corruptCrcOf = type;
        return buildPng(recipe);
    };
    return {
        { "Empty", {}, PngError::InvalidSignature },
        { "ShortSignature", Bytes(valid.begin(), valid.begin() + 7), PngError::InvalidSignature },
        { "WrongSignature", wrongSignature, PngError::InvalidSignature },
        { "Gif", { 'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0 }, PngError::InvalidSignature },
        { "BadHeaderCrc", corruptCrc("IHDR"), PngError::BadCrc },
        { "BadDataCrc", corruptCrc("IDAT"), PngError::BadCrc },
        { "BadEndCrc", corruptCrc("IEND"), PngError::BadCrc },
        { "BadAncillaryCrc", buildPng(corruptAncillary), PngError::BadCrc },
        { "OnlySignature", Bytes(valid.begin(), valid.begin() + 8), PngError::Truncated },
        { "CutInHeader", Bytes(valid.begin(), valid.begin() + 20), PngError::Truncated },
        { "CutInData", Bytes(valid.begin(), valid.begin() + 50), PngError::Truncated },
        { "CutBeforeEnd", Bytes(valid.begin(), valid.end() - 12), PngError::Truncated },
        { "NoEnd", buildPng(noEnd), PngError::Truncated },
        { "NoImageData", fileOf({ header(4, 4, 8, 2), end }), PngError::NoImageData },
        { "DataFirst", fileOf({ rgbData, end }), PngError::HeaderNotFirst },
        { "TwoHeaders", fileOf({ header(4, 4, 8, 2), header(4, 4, 8, 2), rgbData, end }),
            PngError::ChunkOrder },
        { "ZeroWidth", fileOf({ header(0, 4, 8, 2), rgbData, end }), PngError::BadHeader },
        { "ZeroHeight", fileOf({ header(4, 0, 8, 2), rgbData, end }), PngError::BadHeader },
        { "WidthBeyond31Bits", fileOf({ header(0x80000000u, 1, 8, 2), rgbData, end }),
            PngError::BadHeader },
        { "DepthThree", fileOf({ header(4, 4, 3, 0), rgbData, end }), PngError::BadHeader },
        { "ColourTypeFive", fileOf({ header(4, 4, 8, 5), rgbData, end }), PngError::BadHeader },
        { "RgbDepthFour", fileOf({ header(4, 4, 4, 2), rgbData, end }), PngError::BadHeader },
        { "PaletteDepth16", fileOf({ header(4, 4, 16, 3), rgbData, end }), PngError::BadHeader },
        { "CompressionOne", fileOf({ header(4, 4, 8, 2, 1), rgbData, end }), PngError::BadHeader },
        { "FilterMethodOne", fileOf({ header(4, 4, 8, 2, 0, 1), rgbData, end }),
            PngError::BadHeader },
        { "InterlaceTwo", fileOf({ header(4, 4, 8, 2, 0, 0, 2), rgbData, end }),
            PngError::BadHeader },
        { "ShortHeader", fileOf({ chunkBytes("IHDR", Bytes(12, 1)), rgbData, end }),
            PngError::BadHeader },
        { "HundredThousandSquared", fileOf({ header(100000, 100000, 8, 6), rgbData, end }),
            PngError::TooLarge },
        { "WiderThanLimit", valid, PngError::TooLarge, narrow },
        { "MorePixelsThanLimit", valid, PngError::TooLarge, fewPixels },
        // Within the limits, but a few bytes cannot inflate to 400 MB: fails before allocating.
        { "TinyDataForHugeImage", fileOf({ header(10000, 10000, 8, 6), rgbData, end }),
            PngError::TooLittleImageData },
        { "UnknownCriticalChunk", buildPng(unknownCritical), PngError::UnknownCriticalChunk },
        { "DigitInChunkName", buildPng(badName), PngError::BadChunkType },
        { "BadFilterType", buildPng(badFilter), PngError::BadFilterType },
        { "TooLittleData", fileOf({ header(4, 5, 8, 2), rgbData, end }),
            PngError::TooLittleImageData },
        { "TooMuchData", fileOf({ header(4, 3, 8, 2), rgbData, end }), PngError::TooMuchImageData },
        { "GarbageData", fileOf({ header(4, 4, 8, 2), chunkBytes("IDAT", Bytes(40, 0xAB)), end }),
            PngError::CorruptImageData },
        { "StreamWithoutChecksum",
            fileOf({ header(4, 4, 8, 2), chunkBytes("IDAT", adlerMissing), end }),
            PngError::CorruptImageData },
        { "WrongChecksum", fileOf({ header(4, 4, 8, 2), chunkBytes("IDAT", adlerWrong), end }),
            PngError::CorruptImageData },
        { "ZlibCheckValue", withZlibHeader(0x78, 0x9d), PngError::CorruptImageData },
        { "ZlibMethodSeven", withZlibHeader(0x77, 0x09), PngError::CorruptImageData },
        { "ZlibWindow64K", withZlibHeader(0x88, 0x1c), PngError::CorruptImageData },
        { "ZlibPresetDictionary", withZlibHeader(0x78, 0x20), PngError::CorruptImageData },
        { "DataInterrupted",
            fileOf({ header(4, 4, 8, 2), Bytes(splitFile.begin() + 33, splitFile.begin() + 55),
                chunkBytes("tEXt", { 'a', 0 }), Bytes(splitFile.begin() + 55, splitFile.end()) }),
            PngError::ChunkOrder },
        { "MissingPalette", buildPng(paletteNoPlte), PngError::MissingPalette },
        { "PaletteInGrey", buildPng(plteInGrey), PngError::BadPalette },
        { "PaletteOver256Entries", buildPng(tooBigPalette), PngError::BadPalette },
        { "PaletteNotTriples", buildPng(oddPalette), PngError::BadPalette },
        { "PaletteIndexOutOfRange", buildPng(outOfRange), PngError::PaletteIndexOutOfRange },
    };
}

void PrintTo(const FailureCase &c, std::ostream *out)
{
    *out << c.name;
}

class PngReaderFailures : public testing::TestWithParam<FailureCase>
{
};

TEST_P(PngReaderFailures, FailsWithItsMessage)
{
    const FailureCase &c = GetParam();
    try {
        decodePng(bytesOf(c.file), c.limits);
        FAIL() << "decoded although it must fail";
    } catch (const Error &error) {
        EXPECT_EQ(error.message(), pngErrorMessage(c.error)) << error.message().toStdString();
    }
}

std::string failureName(const testing::TestParamInfo<FailureCase> &info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Crashers, PngReaderFailures, testing::ValuesIn(failureCases()), failureName);

// A tiny file that claims an image of 400 MB must fail before anything of that size is allocated.
TEST(PngReader, TinyFileDeclaringAHugeImageFailsWithoutAllocatingForIt)
{
    const Bytes file = fileOf({ header(10000, 10000, 8, 6),
        imageDataOf(randomImage(4, 4, 2, 8, false)), chunkBytes("IEND", {}) });
    quiltmap::test::resetLargestAllocation();
    EXPECT_THROW(decodePng(bytesOf(file)), Error);
    EXPECT_LT(quiltmap::test::largestAllocation(), std::size_t(1) << 20);
}

// Every limit admits an image exactly at it and refuses one unit less.
TEST(PngReader, LimitsAdmitTheirBoundAndRefuseOneLess)
{
    quiltmap::test::TempDir dir;
    const Bytes file = buildPng(randomImage(4, 5, 2, 8, false));
    const QString path = dir.write(QStringLiteral("t.png"),
        QByteArray(reinterpret_cast<const char *>(file.data()), qsizetype(file.size())));
    struct Bound
    {
        const char *name;
        std::uint64_t value;
        void (*set)(PngLimits &, std::uint64_t);
    };
    const Bound bounds[] = {
        { "width", 4, [](PngLimits &l, std::uint64_t v) { l.maxWidth = std::uint32_t(v); } },
        { "height", 5, [](PngLimits &l, std::uint64_t v) { l.maxHeight = std::uint32_t(v); } },
        { "pixels", 20, [](PngLimits &l, std::uint64_t v) { l.maxPixels = v; } },
        // Four bytes per tile pixel plus five filtered rows of 1 + 12 bytes.
        { "decoded bytes", 20 * 4 + 5 * 13,
            [](PngLimits &l, std::uint64_t v) { l.maxDecodedBytes = v; } },
        { "file bytes", file.size(), [](PngLimits &l, std::uint64_t v) { l.maxFileBytes = v; } },
    };
    for (const Bound &bound : bounds) {
        SCOPED_TRACE(bound.name);
        PngLimits limits;
        bound.set(limits, bound.value);
        EXPECT_EQ(readPngFile(path, limits).width(), 4);
        bound.set(limits, bound.value - 1);
        try {
            readPngFile(path, limits);
            ADD_FAILURE() << "decoded beyond the limit";
        } catch (const Error &error) {
            EXPECT_EQ(error.message(), pngErrorMessage(PngError::TooLarge));
        }
    }
}

// Rewrites every chunk's CRC so damage reaches the code behind the CRC check.
void fixCrcs(Bytes &file)
{
    std::size_t at = 8;
    while (at + 12 <= file.size()) {
        const std::size_t length
            = std::size_t(file[at]) << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
        if (length > file.size() - at - 12)
            return;
        const uLong crc = crc32(0, file.data() + at + 4, uInt(length + 4));
        std::uint8_t *p = file.data() + at + 8 + length;
        p[0] = std::uint8_t(crc >> 24), p[1] = std::uint8_t(crc >> 16),
        p[2] = std::uint8_t(crc >> 8), p[3] = std::uint8_t(crc);
        at += length + 12;
    }
}

// Every single-byte change of small images either decodes or fails with an Error; the sanitizer
// build turns any out-of-bounds access on the way into a failure.
TEST(PngReader, SurvivesEveryByteChange)
{
    PngRecipe palette = randomImage(5, 3, 3, 2, true, 9);
    palette.transparency = Bytes { 0, 128, 255 };
    for (const PngRecipe &recipe :
        { randomImage(5, 3, 6, 16, true, 5), palette, randomImage(9, 2, 0, 1, false, 4) }) {
        const Bytes file = buildPng(recipe);
        for (std::size_t i = 8; i < file.size(); ++i) {
            for (std::uint8_t value :
                { std::uint8_t(0), std::uint8_t(0xFF), std::uint8_t(file[i] ^ 0x10) }) {
                Bytes changed = file;
                changed[i] = value;
                fixCrcs(changed);
                PngLimits small;
                small.maxPixels = 4096;
                try {
                    const Tile tile = decodePng(bytesOf(changed), small);
                    EXPECT_EQ(tile.bytesPerRow() * std::size_t(tile.height()),
                        std::size_t(tile.width()) * tile.height() * tile.channels());
                } catch (const Error &) { }
            }
        }
    }
}

} // namespace
} // namespace quiltmap::sheet::test
