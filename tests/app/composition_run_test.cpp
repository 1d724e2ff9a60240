#include "app/composition_run.h"
#include "app/raster_view.h"
#include "app/text_list_edit.h"
#include "common/error.h"
#include "sheet/raster.h"
#include "sheet/tile_reader.h"

#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>

namespace quiltmap::app {
namespace {

using namespace Qt::StringLiterals;

// Gives every file a black 4 x 4 tile, refuses files named "bad" and counts reads.
class BlackTiles : public sheet::TileReader
{
public:
    sheet::Tile read(const QString &path) override
    {
        ++reads;
        if (path.endsWith(u"/bad"))
            throw Error(u"bad tile"_s);
        return sheet::Tile(4, 4, sheet::Tile::Blend::Replace, std::vector<std::uint8_t>(48));
    }
    QSize readSize(const QString &) const override { return { 4, 4 }; }

    std::atomic<int> reads { 0 };
};

sheet::SheetGeometry fourPerRow(int files)
{
    const int rows = (files + 3) / 4;
    return { 4, 4, 4, files, rows, 16, 4 * std::max(rows, 1) };
}

struct Window
{
    RasterView preview;
    TextListEdit names;
    CompositionRun run { preview, names };
    BlackTiles reader;

    void start(const QStringList &files)
    {
        run.start(fourPerRow(int(files.size())), u"/f"_s, files, reader);
    }
};

TEST(CompositionRun, FinishedSheetIsShownAndKeptWithItsGridAndNames)
{
    Window window;
    const QStringList files { u"a.png"_s, u"b.png"_s, u"c.png"_s, u"d.png"_s, u"e.png"_s };
    auto ticket = window.run.begin();
    window.start(files);

    ASSERT_TRUE(window.run.composeRemaining(ticket));
    window.run.finish();

    const sheet::Raster *sheet = window.run.finishedSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(window.preview.raster(), sheet);
    EXPECT_EQ(sheet->height(), 8);
    EXPECT_EQ(sheet->row(4)[0], 0);
    EXPECT_EQ(sheet->row(4)[3 * 4], 255);
    EXPECT_EQ(window.names.lines(), (QStringList { u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s }));
    EXPECT_EQ(window.run.shownNames(), window.names.lines());
    EXPECT_EQ(window.run.shownGeometry(), fourPerRow(5));
    // Read ahead or not, each file is decoded once.
    EXPECT_EQ(window.reader.reads, 5);

    window.run.release();
    EXPECT_EQ(window.run.finishedSheet(), nullptr);
    EXPECT_EQ(window.preview.raster(), nullptr);
}

TEST(CompositionRun, NewerRunSupersedesAndAFailedOneKeepsWhatItDrew)
{
    Window window;
    QStringList files;
    for (int i = 0; i < 40; ++i)
        files.append(QString::number(i));
    auto first = window.run.begin();
    window.start(files);
    std::optional<CompositionRun::Ticket> second;
    QTimer::singleShot(0, [&] { second = window.run.begin(); });

    EXPECT_FALSE(window.run.composeRemaining(first));
    ASSERT_TRUE(second);
    EXPECT_FALSE(first.isCurrent());
    EXPECT_TRUE(second->isCurrent());

    window.start({ u"0"_s, u"bad"_s, u"2"_s });
    EXPECT_THROW(window.run.composeRemaining(*second), Error);
    window.run.stop();
    EXPECT_EQ(window.names.lines(), QStringList { u"0"_s });
    EXPECT_EQ(window.run.shownNames(), QStringList { u"0"_s });
    EXPECT_EQ(window.preview.raster()->row(0)[0], 0);
    EXPECT_EQ(window.run.finishedSheet()->height(), 0);
}

} // namespace
} // namespace quiltmap::app
