#include "aniicon/icon_image.h"
#include "busy_animation/ani_builder.h"
#include "png_builder/png_builder.h"

#include <gtest/gtest.h>

namespace quiltmap::aniicon {
namespace {

using anibuilder::iconBitmap;

QByteArrayView view(const QByteArray &bytes)
{
    return { bytes.data(), bytes.size() };
}

QByteArray pngFile(const pngbuilder::PngRecipe &png)
{
    const std::vector<std::uint8_t> bytes = pngbuilder::buildPng(png);
    return { reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()) };
}

void setHeaderField(QByteArray &bitmap, int offset, quint32 value)
{
    bitmap.replace(offset, 4, anibuilder::littleEndian32(value));
}

struct DepthCase
{
    const char *name;
    QByteArray bitmap;
    std::vector<quint32> expected;
};

// Three by two pixels, so every depth's rows need padding; the third pixel of the top row is
// masked in every case.
TEST(DecodeIconImage, DecodesEveryBitmapDepthWithItsMask)
{
    const std::vector<bool> mask { false, false, true, false, false, false };
    QByteArray fullPalette
        = iconBitmap(3, 2, 1, { 0x000000, 0xFFFFFF }, { 1, 0, 1, 0, 1, 0 }, mask);
    // No colour count: the palette has 2 to the depth entries.
    setHeaderField(fullPalette, 32, 0);
    const DepthCase cases[] = {
        { "1 bit", iconBitmap(3, 2, 1, { 0x102030, 0xA0B0C0 }, { 1, 0, 1, 0, 1, 0 }, mask),
            { 0xFFA0B0C0, 0xFF102030, 0, 0xFF102030, 0xFFA0B0C0, 0xFF102030 } },
        { "1 bit, full palette", fullPalette,
            { 0xFFFFFFFF, 0xFF000000, 0, 0xFF000000, 0xFFFFFFFF, 0xFF000000 } },
        { "4 bits",
            iconBitmap(3, 2, 4, { 0x111111, 0x222222, 0x333333 }, { 2, 1, 0, 0, 1, 2 }, mask),
            { 0xFF333333, 0xFF222222, 0, 0xFF111111, 0xFF222222, 0xFF333333 } },
        { "8 bits, index beyond the palette",
            iconBitmap(3, 2, 8, { 0x123456, 0x654321 }, { 1, 0, 1, 0, 5, 1 }, mask),
            { 0xFF654321, 0xFF123456, 0, 0xFF123456, 0xFF000000, 0xFF654321 } },
        { "24 bits", iconBitmap(3, 2, 24, {}, { 0xFF0000, 0x00FF00, 0x0000FF, 1, 2, 3 }, mask),
            { 0xFFFF0000, 0xFF00FF00, 0, 0xFF000001, 0xFF000002, 0xFF000003 } },
        { "32 bits with alpha ignores the mask",
            iconBitmap(
                3, 2, 32, {}, { 0x80112233, 0xFF445566, 0x40778899, 0x00FFFFFF, 1, 2 }, mask),
            { 0x80112233, 0xFF445566, 0x40778899, 0, 0, 0 } },
        { "32 bits without alpha uses the mask",
            iconBitmap(3, 2, 32, {}, { 0x112233, 0x445566, 0x778899, 1, 2, 3 }, mask),
            { 0xFF112233, 0xFF445566, 0, 0xFF000001, 0xFF000002, 0xFF000003 } },
    };
    for (const DepthCase &depth : cases) {
        SCOPED_TRACE(depth.name);
        const ArgbImage image = decodeIconImage(view(depth.bitmap));
        EXPECT_EQ(image.width, 3);
        EXPECT_EQ(image.height, 2);
        EXPECT_EQ(image.pixels, depth.expected);
    }
}

TEST(DecodeIconImage, RefusesWhatIsNotAWholeSupportedBitmap)
{
    const QByteArray good
        = iconBitmap(2, 2, 8, { 0x123456 }, { 0, 0, 0, 0 }, std::vector(4, false));
    ASSERT_FALSE(decodeIconImage(view(good)).isNull());
    const auto changed = [&](int offset, quint32 value) {
        QByteArray bitmap = good;
        setHeaderField(bitmap, offset, value);
        return bitmap;
    };
    const struct
    {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        { "empty", {} },
        { "cut by one byte", good.left(good.size() - 1) },
        { "short header", changed(0, 12) },
        { "header beyond the data", changed(0, 4000) },
        { "zero width", changed(4, 0) },
        { "width above 256", changed(4, 257) },
        { "zero height", changed(8, 0) },
        { "16 bits per pixel", changed(12, 1 | 16 << 16) },
        { "compressed", changed(16, 1) },
        { "more colours than the depth has", changed(32, 257) },
        { "text", QByteArray(100, 'x') },
    };
    for (const auto &refused : cases) {
        SCOPED_TRACE(refused.name);
        EXPECT_TRUE(decodeIconImage(view(refused.bytes)).isNull());
    }
}

TEST(DecodeIconImage, DecodesPngImages)
{
    pngbuilder::PngRecipe rgba;
    rgba.width = 2;
    rgba.samples = { 10, 20, 30, 255, 40, 50, 60, 0 };
    EXPECT_EQ(
        decodeIconImage(view(pngFile(rgba))).pixels, (std::vector<quint32> { 0xFF0A141E, 0 }));

    pngbuilder::PngRecipe rgb;
    rgb.colourType = 2;
    rgb.samples = { 1, 2, 3 };
    EXPECT_EQ(decodeIconImage(view(pngFile(rgb))).pixels, (std::vector<quint32> { 0xFF010203 }));
}

TEST(DecodeIconImage, RefusesBrokenAndOversizedPngImages)
{
    pngbuilder::PngRecipe wide;
    wide.width = MaxIconSide + 1;
    wide.samples.assign(std::size_t(wide.width) * 4, 0);
    EXPECT_TRUE(decodeIconImage(view(pngFile(wide))).isNull());

    pngbuilder::PngRecipe broken;
    broken.corruptCrcOf = "IHDR";
    broken.samples = { 1, 2, 3, 4 };
    EXPECT_TRUE(decodeIconImage(view(pngFile(broken))).isNull());
}

} // namespace
} // namespace quiltmap::aniicon
