#include "png_test_images.h"
#include "sheet/cpu_features.h"
#include "sheet/png_reader.h"
#include "sheet/tile_drawing.h"

#include <climits>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>

namespace quiltmap::sheet::test {
namespace {

using Rgb = std::array<std::uint8_t, 3>;

Rgb rasterPixel(const Raster &raster, int x, int y)
{
    const std::uint8_t *p = raster.row(y) + 3 * x;
    return { p[0], p[1], p[2] };
}

void setRasterPixel(Raster &raster, int x, int y, Rgb rgb)
{
    std::copy(rgb.begin(), rgb.end(), raster.row(y) + 3 * x);
}

// A one-row tile of two pixels with the same alpha.
Tile twoPixelTile(Tile::Blend blend, Rgb first, Rgb second, std::uint8_t alpha)
{
    return Tile(2, 1, blend,
        { first[0], first[1], first[2], alpha, second[0], second[1], second[2], alpha });
}

struct BlendCase
{
    std::uint8_t alpha;
    std::array<std::uint8_t, 6> alphaOver; // (old * (255 - a) + new * a + 127) / 255
    std::array<std::uint8_t, 6> paletteAlpha; // (a * new + (255 - a) * old + 255) / 256
};

void PrintTo(const BlendCase &c, std::ostream *out)
{
    *out << "alpha " << int(c.alpha);
}

class TileBlending : public testing::TestWithParam<BlendCase>
{
protected:
    std::array<std::uint8_t, 6> drawOverOld(Tile::Blend blend) const
    {
        Raster raster = Raster::white(2, 1);
        setRasterPixel(raster, 0, 0, { 0, 37, 200 });
        setRasterPixel(raster, 1, 0, { 100, 0, 255 });
        drawTile(
            raster, twoPixelTile(blend, { 255, 212, 13 }, { 101, 255, 0 }, GetParam().alpha), 0, 0);
        std::array<std::uint8_t, 6> result;
        std::copy(raster.row(0), raster.row(0) + 6, result.begin());
        return result;
    }
};

TEST_P(TileBlending, AlphaChannelRoundsToNearest)
{
    EXPECT_EQ(drawOverOld(Tile::Blend::AlphaOver), GetParam().alphaOver);
}

TEST_P(TileBlending, PaletteAlphaDividesBy256)
{
    EXPECT_EQ(drawOverOld(Tile::Blend::PaletteAlpha), GetParam().paletteAlpha);
}

INSTANTIATE_TEST_SUITE_P(EdgeAlphas, TileBlending,
    testing::Values(BlendCase { 0, { 0, 37, 200, 100, 0, 255 }, { 0, 37, 200, 100, 0, 255 } },
        BlendCase { 1, { 1, 38, 199, 100, 1, 254 }, { 1, 38, 199, 100, 1, 254 } },
        BlendCase { 2, { 2, 38, 199, 100, 2, 253 }, { 2, 39, 198, 100, 2, 253 } },
        BlendCase { 127, { 127, 124, 107, 100, 127, 128 }, { 127, 124, 107, 101, 127, 128 } },
        BlendCase { 128, { 128, 125, 106, 101, 128, 127 }, { 128, 125, 106, 101, 128, 127 } },
        BlendCase { 254, { 254, 211, 14, 101, 254, 1 }, { 254, 211, 14, 101, 254, 1 } },
        BlendCase { 255, { 255, 212, 13, 101, 255, 0 }, { 255, 212, 13, 101, 255, 0 } }));

// Rows of every length blend several pixels at a time and the rest one by one: each pixel, at
// any place in the row, follows the formula, alpha 0 and 255 included.
TEST(TileBlending, AlphaOverFollowsTheFormulaAtEveryPlaceInARow)
{
    std::mt19937 random(7);
    for (int width = 1; width <= 13; ++width) {
        std::vector<std::uint8_t> pixels(std::size_t(width) * 4);
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = i % 4 == 3 && random() % 2 ? std::uint8_t(random() % 2 * 255)
                                                   : std::uint8_t(random());
        Raster raster = Raster::white(width, 1);
        for (int i = 0; i < width * 3; ++i)
            raster.row(0)[i] = std::uint8_t(random());
        const Raster before = raster;
        drawTile(raster, Tile(width, 1, Tile::Blend::AlphaOver, pixels), 0, 0);
        for (int i = 0; i < width * 3; ++i) {
            const unsigned a = pixels[std::size_t(i / 3 * 4 + 3)];
            const unsigned value = pixels[std::size_t(i / 3 * 4 + i % 3)];
            ASSERT_EQ(raster.row(0)[i], (before.row(0)[i] * (255 - a) + value * a + 127) / 255)
                << "byte " << i << " of " << width << " pixels";
        }
    }
}

// Every alpha over every underlying value, in rows long enough for the paths that blend many
// pixels at once: a rounding off by one shows in about one byte in 255.
TEST(TileBlending, AlphaOverRoundsExactlyForEveryAlphaAndUnderlyingValue)
{
    constexpr int width = 256 * 256;
    std::vector<std::uint8_t> pixels(std::size_t(width) * 4);
    Raster raster = Raster::white(width, 1);
    for (int i = 0; i < width; ++i) {
        for (int c = 0; c < 3; ++c) {
            raster.row(0)[3 * i + c] = std::uint8_t(i * (2 * c + 1));
            pixels[std::size_t(4 * i + c)] = std::uint8_t(i * 7 + c * 85);
        }
        pixels[std::size_t(4 * i + 3)] = std::uint8_t(i >> 8);
    }
    const Raster before = raster;
    drawTile(raster, Tile(width, 1, Tile::Blend::AlphaOver, pixels), 0, 0);
    int wrong = 0;
    for (int i = 0; i < width * 3; ++i) {
        const unsigned a = pixels[std::size_t(i / 3 * 4 + 3)];
        const unsigned value = pixels[std::size_t(i / 3 * 4 + i % 3)];
        wrong += raster.row(0)[i] != (before.row(0)[i] * (255 - a) + value * a + 127) / 255;
    }
    EXPECT_EQ(wrong, 0);
}

#if defined(QUILTMAP_HAS_AVX2_CODE)
TEST(CpuFeatures, PlainPathsSwitchTurnsAvx2Off)
{
    if (std::getenv("QUILTMAP_TEST_PLAIN_PATHS") == nullptr)
        GTEST_SKIP() << "only in the run on the plain paths";
    EXPECT_FALSE(hasAvx2());
}
#endif

// Decodes a built file and draws it at (0, 0) on a raster whose every pixel is `under`.
Raster drawDecoded(const pngbuilder::PngRecipe &recipe, Rgb under)
{
    Raster raster = Raster::white(int(recipe.width), int(recipe.height));
    for (int y = 0; y < raster.height(); ++y)
        for (int x = 0; x < raster.width(); ++x)
            setRasterPixel(raster, x, y, under);
    drawTile(raster, decodePng(bytesOf(pngbuilder::buildPng(recipe))), 0, 0);
    return raster;
}

// Four palette pixels with indexes 0..3.
pngbuilder::PngRecipe fourEntryPalette(std::vector<std::uint8_t> rgb, std::optional<Bytes> alpha)
{
    pngbuilder::PngRecipe recipe;
    recipe.width = 4;
    recipe.colourType = 3;
    recipe.samples = { 0, 1, 2, 3 };
    recipe.palette = std::move(rgb);
    recipe.transparency = std::move(alpha);
    return recipe;
}

constexpr Rgb under { 9, 99, 199 };

TEST(TileTransparency, PaletteWithSeveralTranslucentEntriesBlendsEach)
{
    const Raster raster = drawDecoded(
        fourEntryPalette({ 255, 255, 255, 0, 0, 0, 200, 100, 50, 1, 2, 3 }, Bytes { 0, 128, 255 }),
        under);
    EXPECT_EQ(rasterPixel(raster, 0, 0), under);
    EXPECT_EQ(rasterPixel(raster, 1, 0), (Rgb { 5, 50, 99 }));
    EXPECT_EQ(rasterPixel(raster, 2, 0), (Rgb { 200, 100, 50 }));
    EXPECT_EQ(rasterPixel(raster, 3, 0), (Rgb { 1, 2, 3 }));
}

// With one see-through entry the palette works as a colour key: every entry of the key's
// colour leaves the raster, whatever its own alpha.
TEST(TileTransparency, PaletteSingleKeyIsTheFirstEntryWithAlphaZero)
{
    const Raster raster = drawDecoded(
        fourEntryPalette({ 10, 20, 30, 40, 50, 60, 40, 50, 60, 0, 0, 0 }, Bytes { 255, 0 }), under);
    EXPECT_EQ(rasterPixel(raster, 0, 0), (Rgb { 10, 20, 30 }));
    EXPECT_EQ(rasterPixel(raster, 1, 0), under);
    EXPECT_EQ(rasterPixel(raster, 2, 0), under);
    EXPECT_EQ(rasterPixel(raster, 3, 0), (Rgb { 0, 0, 0 }));
}

// A lone translucent entry without a clear one is blended, and black pixels stay black.
TEST(TileTransparency, PaletteSingleTranslucentEntryBlendsWhenNoEntryIsClear)
{
    const Raster raster = drawDecoded(
        fourEntryPalette({ 10, 20, 30, 40, 50, 60, 0, 0, 0, 0, 0, 0 }, Bytes { 255, 128, 255 }),
        under);
    EXPECT_EQ(rasterPixel(raster, 0, 0), (Rgb { 10, 20, 30 }));
    EXPECT_EQ(rasterPixel(raster, 1, 0), (Rgb { 25, 75, 129 }));
    EXPECT_EQ(rasterPixel(raster, 2, 0), (Rgb { 0, 0, 0 }));
    EXPECT_EQ(rasterPixel(raster, 3, 0), (Rgb { 0, 0, 0 }));
}

TEST(TileTransparency, OpaqueTransparencyTableReplaces)
{
    const Raster raster = drawDecoded(fourEntryPalette({ 10, 20, 30, 40, 50, 60, 0, 0, 0, 0, 0, 0 },
                                          Bytes { 255, 255, 255, 255 }),
        under);
    EXPECT_EQ(rasterPixel(raster, 2, 0), (Rgb { 0, 0, 0 }));
}

TEST(TileTransparency, GreyAndColourKeysLeaveTheRaster)
{
    pngbuilder::PngRecipe grey;
    grey.width = 3;
    grey.colourType = 0;
    grey.bitDepth = 4;
    grey.samples = { 0x5A, 0x50 };
    grey.transparency = Bytes { 0, 5 };
    Raster raster = drawDecoded(grey, under);
    EXPECT_EQ(rasterPixel(raster, 0, 0), under);
    EXPECT_EQ(rasterPixel(raster, 1, 0), (Rgb { 170, 170, 170 }));
    EXPECT_EQ(rasterPixel(raster, 2, 0), under);

    pngbuilder::PngRecipe rgb;
    rgb.width = 2;
    rgb.colourType = 2;
    rgb.samples = { 1, 2, 3, 1, 2, 4 };
    rgb.transparency = Bytes { 0, 1, 0, 2, 0, 3 };
    raster = drawDecoded(rgb, under);
    EXPECT_EQ(rasterPixel(raster, 0, 0), under);
    EXPECT_EQ(rasterPixel(raster, 1, 0), (Rgb { 1, 2, 4 }));
}

TEST(TileTransparency, AlphaChannelUsesHighByteOfSixteenBits)
{
    pngbuilder::PngRecipe rgba;
    rgba.width = 2;
    rgba.colourType = 6;
    rgba.bitDepth = 16;
    rgba.samples = { 255, 0, 0, 0, 0, 0, 0x80, 0xFF, 1, 2, 3, 4, 5, 6, 0, 0xFF };
    const Raster raster = drawDecoded(rgba, { 0, 255, 0 });
    EXPECT_EQ(rasterPixel(raster, 0, 0), (Rgb { 128, 127, 0 }));
    EXPECT_EQ(rasterPixel(raster, 1, 0), (Rgb { 0, 255, 0 }));
}

TEST(TileTransparency, FullyTransparentBackgroundStaysWhite)
{
    pngbuilder::PngRecipe greyAlpha;
    greyAlpha.width = 2;
    greyAlpha.colourType = 4;
    greyAlpha.samples = { 0, 0, 0, 255 };
    const Raster raster = drawDecoded(greyAlpha, { 255, 255, 255 });
    EXPECT_EQ(rasterPixel(raster, 0, 0), (Rgb { 255, 255, 255 }));
    EXPECT_EQ(rasterPixel(raster, 1, 0), (Rgb { 0, 0, 0 }));
}

// A 3 x 2 opaque tile whose pixel (x, y) is (x + 1, y + 1, 77).
Tile numberedTile(Tile::Blend blend)
{
    std::vector<std::uint8_t> pixels;
    for (std::uint8_t y = 1; y <= 2; ++y)
        for (std::uint8_t x = 1; x <= 3; ++x) {
            pixels.insert(pixels.end(), { x, y, 77 });
            if (blend != Tile::Blend::Replace)
                pixels.push_back(255);
        }
    return Tile(3, 2, blend, std::move(pixels));
}

struct Position
{
    int x;
    int y;
};

void PrintTo(const Position &p, std::ostream *out)
{
    *out << "(" << p.x << ", " << p.y << ")";
}

class TileClipping : public testing::TestWithParam<Position>
{
};

TEST_P(TileClipping, DrawsOnlyWhatLiesOnTheRaster)
{
    const Position at = GetParam();
    for (Tile::Blend blend :
        { Tile::Blend::Replace, Tile::Blend::AlphaOver, Tile::Blend::PaletteAlpha }) {
        Raster raster = Raster::white(5, 4);
        drawTile(raster, numberedTile(blend), at.x, at.y);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 5; ++x) {
                const long long tx = (long long)x - at.x, ty = (long long)y - at.y;
                const bool inside = tx >= 0 && tx < 3 && ty >= 0 && ty < 2;
                const Rgb expected = inside ? Rgb { std::uint8_t(tx + 1), std::uint8_t(ty + 1), 77 }
                                            : Rgb { 255, 255, 255 };
                ASSERT_EQ(rasterPixel(raster, x, y), expected) << x << "," << y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllEdges, TileClipping,
    testing::Values(Position { 1, 1 }, Position { -2, 1 }, Position { 1, -1 }, Position { 3, 1 },
        Position { 1, 3 }, Position { -1, -1 }, Position { 4, 3 }, Position { -3, 0 },
        Position { 5, 0 }, Position { 0, 4 }, Position { INT_MIN, INT_MIN },
        Position { INT_MAX, INT_MAX }, Position { INT_MIN, 0 }));

TEST(TileDrawing, LaterTilesCoverEarlierOnes)
{
    Raster raster = Raster::white(6, 2);
    drawTile(raster, Tile(4, 1, Tile::Blend::Replace, std::vector<std::uint8_t>(12, 1)), 0, 0);
    drawTile(raster, Tile(4, 1, Tile::Blend::Replace, std::vector<std::uint8_t>(12, 2)), 2, 0);
    EXPECT_EQ(rasterPixel(raster, 1, 0), (Rgb { 1, 1, 1 }));
    EXPECT_EQ(rasterPixel(raster, 2, 0), (Rgb { 2, 2, 2 }));
    EXPECT_EQ(rasterPixel(raster, 5, 0), (Rgb { 2, 2, 2 }));
    EXPECT_EQ(rasterPixel(raster, 5, 1), (Rgb { 255, 255, 255 }));
}

// A sheet-sized raster takes over the memory of the one let go before it: it starts filled all
// the same, whatever was drawn there, also at a slightly different size.
TEST(TileDrawing, RasterAfterAReleasedOneStartsFilled)
{
    constexpr int width = 2000, height = 3000;
    for (const auto &[channels, pixel] :
        { std::pair(3, std::array<std::uint8_t, 4> { 255, 255, 255, 255 }),
            std::pair(4, std::array<std::uint8_t, 4> { 1, 2, 3, 4 }),
            std::pair(3, std::array<std::uint8_t, 4> { 9, 8, 7, 255 }) }) {
        {
            Raster used = Raster::white(width, height);
            std::fill_n(used.row(0), used.bytesPerRow() * height, std::uint8_t(0));
        }
        const Raster next = Raster::filled(width - 1, height, channels, pixel);
        const Raster fresh = Raster::filled(width - 1, height, channels, pixel);
        ASSERT_EQ(next, fresh) << channels;
    }
}

} // namespace
} // namespace quiltmap::sheet::test

namespace quiltmap::sheet::test {
namespace {

using Rgba = std::array<std::uint8_t, 4>;

struct AlphaRasterCase
{
    const char *what;
    Rgba under;
    Tile::Blend blend;
    Rgba tile;
    Rgba expected;
};

void PrintTo(const AlphaRasterCase &c, std::ostream *out)
{
    *out << c.what;
}

class AlphaRasterDrawing : public testing::TestWithParam<AlphaRasterCase>
{
};

TEST_P(AlphaRasterDrawing, KeepsTheTileAlphaOnEmptyPixels)
{
    const AlphaRasterCase &c = GetParam();
    Raster raster = Raster::filled(1, 1, 4, c.under);
    std::vector<std::uint8_t> pixel(c.tile.begin(), c.tile.begin() + Tile::channelsFor(c.blend));
    drawTile(raster, Tile(1, 1, c.blend, pixel), 0, 0);
    EXPECT_EQ((Rgba { raster.row(0)[0], raster.row(0)[1], raster.row(0)[2], raster.row(0)[3] }),
        c.expected);
}

// Over an opaque pixel the opaque-raster formulas hold; over an empty one the tile pixel is
// kept; over a translucent one alpha = a + u (1 - a), colour = (c a + c' u (1 - a)) / alpha.
INSTANTIATE_TEST_SUITE_P(Cases, AlphaRasterDrawing,
    testing::Values(AlphaRasterCase { "opaque onto empty", { 0, 0, 0, 0 }, Tile::Blend::Replace,
                        { 10, 20, 30, 0 }, { 10, 20, 30, 255 } },
        AlphaRasterCase { "translucent onto empty", { 0, 0, 0, 0 }, Tile::Blend::AlphaOver,
            { 200, 100, 50, 128 }, { 200, 100, 50, 128 } },
        AlphaRasterCase { "clear onto empty", { 0, 0, 0, 0 }, Tile::Blend::AlphaOver,
            { 200, 100, 50, 0 }, { 0, 0, 0, 0 } },
        AlphaRasterCase { "palette onto empty", { 0, 0, 0, 0 }, Tile::Blend::PaletteAlpha,
            { 200, 100, 50, 7 }, { 200, 100, 50, 7 } },
        AlphaRasterCase { "alpha onto opaque", { 0, 37, 200, 255 }, Tile::Blend::AlphaOver,
            { 255, 212, 13, 2 }, { 2, 38, 199, 255 } },
        AlphaRasterCase { "palette onto opaque", { 0, 37, 200, 255 }, Tile::Blend::PaletteAlpha,
            { 255, 212, 13, 2 }, { 2, 39, 198, 255 } },
        AlphaRasterCase { "translucent onto translucent", { 0, 0, 255, 128 },
            Tile::Blend::AlphaOver, { 255, 0, 0, 128 }, { 170, 0, 85, 192 } }));

} // namespace
} // namespace quiltmap::sheet::test
