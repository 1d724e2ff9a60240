#include "common/error.h"
#include "png_builder/png_builder.h"
#include "sheet/composition.h"
#include "sheet/png_writer.h"
#include "support/temp_dir.h"

#include <QBuffer>
#include <gtest/gtest.h>
#include <thread>

namespace quiltmap::sheet {
namespace {

using namespace Qt::StringLiterals;

struct TileSpec
{
    int width;
    int height;
    // Below 255 an RGBA tile whose alpha varies around this value.
    int alpha = 255;
    // Not a PNG: its cell stays empty.
    bool broken = false;
};

// A tile whose pixels all differ, so that a row drawn wrong or read from the wrong place shows.
QByteArray patternPng(const TileSpec &tile, int seed)
{
    pngbuilder::PngRecipe recipe;
    recipe.width = std::uint32_t(tile.width);
    recipe.height = std::uint32_t(tile.height);
    recipe.colourType = tile.alpha == 255 ? 2 : 6;
    for (int y = 0; y < tile.height; ++y)
        for (int x = 0; x < tile.width; ++x) {
            const int v = seed * 31 + x * 7 + y * 13;
            recipe.samples.insert(recipe.samples.end(),
                { std::uint8_t(v), std::uint8_t(v * 3 + 1), std::uint8_t(v ^ 0x5a) });
            if (tile.alpha != 255)
                recipe.samples.push_back(std::uint8_t(tile.alpha + (x + y) % 5 * 20));
        }
    const std::vector<std::uint8_t> bytes = pngbuilder::buildPng(recipe);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

struct BandCase
{
    const char *what;
    int cell;
    int columns;
    SheetStyle style;
    std::vector<TileSpec> tiles;
};

void PrintTo(const BandCase &c, std::ostream *out)
{
    *out << c.what;
}

class BandedComposition : public testing::TestWithParam<BandCase>
{
protected:
    BandedComposition()
    {
        const BandCase &c = GetParam();
        for (std::size_t i = 0; i < c.tiles.size(); ++i) {
            const QString name = u"t%1.png"_s.arg(i, 4, 10, QChar(u'0'));
            dir.write(
                name, c.tiles[i].broken ? QByteArray("not a png") : patternPng(c.tiles[i], int(i)));
            names.append(name);
        }
        const QString side = QString::number(c.cell);
        geometry = computeGeometry({ side, side, QString::number(c.columns) }, int(names.size()),
            GeometryVariant::Composition)
                       .geometry;
    }

    // Draws every tile, passing over those that cannot be read.
    static void drawAll(Composition &composition)
    {
        while (!composition.atEnd()) {
            try {
                composition.drawNextTile();
            } catch (const Error &) {
                composition.skipNextTile();
            }
        }
    }

    QByteArray wholeSheetFile()
    {
        Composition composition(geometry, dir.path(), names, GetParam().style);
        drawAll(composition);
        QByteArray file;
        QBuffer buffer(&file);
        buffer.open(QIODevice::WriteOnly);
        EXPECT_TRUE(writeSheetPng(*composition.finish(), buffer));
        return file;
    }

    // The sheet written while it is drawn in bands; `peakHeld` takes the most the bands held.
    QByteArray bandedSheetFile(
        Composition::Banded banded, unsigned threads, std::size_t *peakHeld = nullptr)
    {
        Composition composition(geometry, dir.path(), names, GetParam().style, banded);
        QByteArray file;
        {
            QBuffer buffer(&file);
            buffer.open(QIODevice::WriteOnly);
            std::jthread writer(
                [&] { EXPECT_TRUE(writeSheetPng(composition.bands(), buffer, threads)); });
            drawAll(composition);
        }
        if (peakHeld)
            *peakHeld = composition.bands().peakHeldBytes();
        return file;
    }

    test::TempDir dir;
    QStringList names;
    SheetGeometry geometry;
};

// Whatever the bands' size and the threads, the file is the one drawn on the whole sheet.
TEST_P(BandedComposition, WritesTheWholeSheetsFile)
{
    const QByteArray whole = wholeSheetFile();
    const int rowBytes = int(sheetSize(geometry, GetParam().style.layout).width)
        * (GetParam().style.background.transparent ? 4 : 3);
    for (const std::size_t bandBytes :
        { std::size_t(1), std::size_t(3 * rowBytes), SheetBands::defaultBandBytes })
        for (const unsigned threads : { 1u, 3u })
            EXPECT_EQ(bandedSheetFile({ 0, bandBytes }, threads), whole)
                << "band bytes " << bandBytes << ", threads " << threads;
}

// The rows shown before they become final come each once, top to bottom, complete.
TEST_P(BandedComposition, ShowsEveryRowCompleteBeforeItIsFinal)
{
    Composition whole(geometry, dir.path(), names, GetParam().style);
    drawAll(whole);
    const Raster &expected = *whole.finish();
    Composition::Banded banded;
    banded.bandBytes = 1;
    int next = 0;
    banded.beforeFinal = [&](const RasterBand &rows) {
        ASSERT_EQ(rows.top, next);
        for (int y = rows.top; y < rows.bottom; ++y)
            ASSERT_TRUE(std::equal(rows.row(y), rows.row(y) + rows.bytesPerRow(), expected.row(y)))
                << "row " << y;
        next = rows.bottom;
    };
    Composition composition(geometry, dir.path(), names, GetParam().style, banded);
    composition.bands().stopReading();
    drawAll(composition);
    EXPECT_EQ(next, expected.height());
}

const SheetStyle spaced { { 2, 3 }, {} };
const SheetStyle transparent { {}, { {}, true } };

INSTANTIATE_TEST_SUITE_P(Cases, BandedComposition,
    testing::Values(
        BandCase { "tiles reaching rows down and right, with spacing and margin", 6, 3, spaced,
            { { 6, 6 }, { 4, 21 }, { 13, 6 }, { 6, 6 }, { 6, 14 }, { 6, 6 }, { 6, 6 }, { 9, 9 },
                { 6, 6 }, { 6, 6 }, { 6, 6 }, { 3, 3 } } },
        BandCase { "translucent tiles over one another on a transparent sheet", 5, 2, transparent,
            { { 5, 17, 90 }, { 11, 5, 140 }, { 5, 5, 30 }, { 5, 5 }, { 7, 12, 200 }, { 5, 5, 60 },
                { 5, 5 } } },
        BandCase { "unreadable files leave gaps under tiles from above", 4, 2,
            { { 1, 0 }, { { 0x10, 0x20, 0x30 }, false } },
            { { 4, 13 }, { 4, 4, 0, true }, { 4, 4, 0, true }, { 4, 4 }, { 8, 4, 0, true },
                { 4, 4 } } },
        BandCase { "a sheet padded to powers of two, a tile reaching into the padding", 5, 3,
            { {}, { {}, true }, true },
            { { 5, 5, 120 }, { 5, 5 }, { 9, 5 }, { 5, 5 }, { 4, 12, 70 } } },
        BandCase { "a sheet the compressor reads in several stretches", 48, 8, {},
            std::vector<TileSpec>(120, { 48, 48 }) },
        BandCase { "a large tile that keeps bands in blocks of many at once", 1200, 1, {},
            { { 1200, 1200 } } }));

// Bands are let go once written: a sheet many times the compressor's reach and the huge pages
// bands come in holds about those, not the sheet.
TEST(SheetBands, HoldsOnlyTheRowsInFlight)
{
    test::TempDir dir;
    dir.write(u"t.png"_s, patternPng({ 256, 256 }, 1));
    const QStringList names(88, u"t.png"_s);
    const SheetGeometry geometry
        = computeGeometry({ u"256"_s, u"256"_s, u"4"_s }, 88, GeometryVariant::Composition)
              .geometry;
    Composition composition(geometry, dir.path(), names, {}, { 0 });
    QByteArray file;
    QBuffer buffer(&file);
    buffer.open(QIODevice::WriteOnly);
    std::jthread writer([&] { EXPECT_TRUE(writeSheetPng(composition.bands(), buffer, 1)); });
    while (!composition.atEnd())
        composition.drawNextTile();
    writer.join();
    const std::size_t sheetBytes = 1024 * 3 * 22 * 256;
    EXPECT_LE(composition.bands().peakHeldBytes(), sheetBytes / 3);
}

} // namespace
} // namespace quiltmap::sheet
