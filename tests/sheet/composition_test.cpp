#include "common/error.h"
#include "png_builder/png_builder.h"
#include "sheet/composition.h"
#include "support/temp_dir.h"

#include <QByteArray>
#include <array>
#include <gtest/gtest.h>

namespace quiltmap::sheet {
namespace {

using namespace Qt::StringLiterals;

using Rgb = std::array<std::uint8_t, 3>;

// An opaque RGB tile of one colour.
QByteArray solidPng(int width, int height, Rgb colour)
{
    pngbuilder::PngRecipe recipe;
    recipe.width = std::uint32_t(width);
    recipe.height = std::uint32_t(height);
    recipe.colourType = 2;
    for (int i = 0; i < width * height; ++i)
        recipe.samples.insert(recipe.samples.end(), colour.begin(), colour.end());
    const std::vector<std::uint8_t> bytes = pngbuilder::buildPng(recipe);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

Rgb pixel(const Raster &raster, int x, int y)
{
    const std::uint8_t *p = raster.row(y) + 3 * x;
    return { p[0], p[1], p[2] };
}

SheetGeometry geometry(int cell, int columns, int files)
{
    const QString side = QString::number(cell);
    return computeGeometry(
        { side, side, QString::number(columns) }, files, GeometryVariant::Composition)
        .geometry;
}

constexpr Rgb white { 255, 255, 255 };
constexpr Rgb red { 255, 0, 0 };
constexpr Rgb green { 0, 255, 0 };
constexpr Rgb blue { 0, 0, 255 };

class CompositionTest : public testing::Test
{
protected:
    void drawAll(Composition &composition)
    {
        while (!composition.atEnd())
            composition.drawNextTile();
    }

    test::TempDir dir;
};

TEST_F(CompositionTest, FillsCellsRowByRow)
{
    dir.write(QStringLiteral("a.png"), solidPng(32, 32, red));
    dir.write(QStringLiteral("b.png"), solidPng(32, 32, green));
    dir.write(QStringLiteral("c.png"), solidPng(32, 32, blue));
    Composition composition(geometry(32, 2, 3), dir.path(), { u"a.png"_s, u"b.png"_s, u"c.png"_s });
    EXPECT_EQ(pixel(composition.raster(), 0, 0), white);

    const Composition::DrawnTile first = composition.drawNextTile();
    EXPECT_EQ(first.index, 0);
    EXPECT_EQ(first.name, QStringLiteral("a"));
    EXPECT_EQ(first.area, QRect(0, 0, 32, 32));
    EXPECT_EQ(composition.drawNextTile().area, QRect(32, 0, 32, 32));
    EXPECT_EQ(composition.drawNextTile().area, QRect(0, 32, 32, 32));
    ASSERT_TRUE(composition.atEnd());

    const std::shared_ptr<const Raster> sheet = composition.finish();
    ASSERT_EQ(sheet->width(), 64);
    ASSERT_EQ(sheet->height(), 64);
    EXPECT_EQ(pixel(*sheet, 31, 31), red);
    EXPECT_EQ(pixel(*sheet, 32, 0), green);
    EXPECT_EQ(pixel(*sheet, 63, 31), green);
    EXPECT_EQ(pixel(*sheet, 0, 32), blue);
    EXPECT_EQ(pixel(*sheet, 32, 32), white);
    EXPECT_EQ(pixel(*sheet, 63, 63), white);
    EXPECT_EQ(composition.tileNames(), (QStringList { u"a"_s, u"b"_s, u"c"_s }));
    // The export image is the very sheet the preview showed.
    EXPECT_EQ(sheet.get(), &composition.raster());
}

TEST_F(CompositionTest, LargerTilesReachIntoNeighboursAndLaterTilesCoverThem)
{
    dir.write(QStringLiteral("big.png"), solidPng(48, 48, red));
    dir.write(QStringLiteral("next.png"), solidPng(16, 16, green));
    dir.write(QStringLiteral("edge.png"), solidPng(48, 48, blue));
    Composition composition(
        geometry(32, 2, 3), dir.path(), { u"big.png"_s, u"next.png"_s, u"edge.png"_s });
    drawAll(composition);
    const Raster &sheet = composition.raster();
    EXPECT_EQ(pixel(sheet, 40, 20), red); // the big tile reaches into the next cell
    EXPECT_EQ(pixel(sheet, 40, 10), green);
    EXPECT_EQ(pixel(sheet, 40, 40), blue); // the third tile covers the big one's corner
    EXPECT_EQ(pixel(sheet, 20, 40), blue);
    EXPECT_EQ(pixel(sheet, 47, 47), blue);
    EXPECT_EQ(pixel(sheet, 63, 63), white);
}

TEST_F(CompositionTest, ClipsTilesAtTheSheetEdge)
{
    dir.write(QStringLiteral("a.png"), solidPng(48, 48, red));
    Composition composition(geometry(32, 1, 1), dir.path(), { u"a.png"_s });
    EXPECT_EQ(composition.drawNextTile().area, QRect(0, 0, 32, 32));
    EXPECT_EQ(pixel(composition.raster(), 31, 31), red);
}

TEST_F(CompositionTest, EmptyListGivesOneWhiteRow)
{
    Composition composition(geometry(48, 25, 0), dir.path(), {});
    EXPECT_TRUE(composition.atEnd());
    const std::shared_ptr<const Raster> sheet = composition.finish();
    EXPECT_EQ(*sheet, Raster::white(1200, 48));
    EXPECT_TRUE(composition.tileNames().isEmpty());
}

TEST_F(CompositionTest, EachCompositionStartsFromANewWhiteSheet)
{
    dir.write(QStringLiteral("a.png"), solidPng(32, 32, red));
    Composition first(geometry(32, 3, 1), dir.path(), { u"a.png"_s });
    drawAll(first);
    const std::shared_ptr<const Raster> firstSheet = first.finish();
    Composition second(geometry(16, 2, 1), dir.path(), { u"a.png"_s });
    EXPECT_EQ(pixel(second.raster(), 0, 0), white);
    drawAll(second);
    const std::shared_ptr<const Raster> secondSheet = second.finish();
    EXPECT_EQ(secondSheet->width(), 32);
    EXPECT_EQ(secondSheet->height(), 16);
    EXPECT_EQ(firstSheet->width(), 96);
    EXPECT_EQ(pixel(*firstSheet, 95, 0), white);
}

TEST_F(CompositionTest, StopsAtATileThatIsNoPng)
{
    dir.write(QStringLiteral("a.png"), solidPng(32, 32, red));
    dir.write(QStringLiteral("b.bmp"), QByteArray("BM\x36\0\0\0\0\0\0\0\x36\0\0\0", 14));
    dir.write(QStringLiteral("c.png"), solidPng(32, 32, green));
    Composition composition(geometry(32, 3, 3), dir.path(), { u"a.png"_s, u"b.bmp"_s, u"c.png"_s });
    composition.drawNextTile();
    try {
        composition.drawNextTile();
        FAIL() << "the .bmp file was read as PNG";
    } catch (const Error &error) {
        EXPECT_TRUE(error.message().startsWith(
            QStringLiteral("Die gerade gelesene Datei ist kein gültiges PNG-Bild")));
    }
    EXPECT_EQ(composition.nextIndex(), 1);
    EXPECT_EQ(composition.tileNames(), QStringList { u"a"_s });
    EXPECT_EQ(pixel(composition.raster(), 0, 0), red);
    EXPECT_THROW(composition.finish(), std::logic_error);
}

TEST_F(CompositionTest, MissingTileFailsWithTheOpenError)
{
    Composition composition(geometry(32, 3, 1), dir.path(), { u"gone.png"_s });
    try {
        composition.drawNextTile();
        FAIL();
    } catch (const Error &error) {
        EXPECT_TRUE(error.message().startsWith(
            QStringLiteral("Datei %1/gone.png kann nicht geöffnet werden. ").arg(dir.path())))
            << error.message().toStdString();
    }
}

TEST_F(CompositionTest, ReadsTheFirstTileSize)
{
    dir.write(QStringLiteral("a.jpg"), solidPng(40, 24, red));
    EXPECT_EQ(readTileSize(dir.filePath(QStringLiteral("a.jpg"))), QSize(40, 24));
}

} // namespace
} // namespace quiltmap::sheet
