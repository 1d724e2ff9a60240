#include "app/raster_view.h"
#include "app/text_list_edit.h"
#include "app/window_additions.h"
#include "app_harness.h"
#include "widgets/adv_directory_edit.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QHelpEvent>
#include <QMimeData>
#include <QToolTip>
#include <QUrl>
#include <gtest/gtest.h>

namespace quiltmap::app::test {
namespace {

using namespace Qt::StringLiterals;

struct ToolTipCase
{
    QPoint at;
    QString expected;
};

class PreviewToolTip : public ::testing::TestWithParam<ToolTipCase>
{
};

// Cells of 32 x 24, two per row, three tiles.
TEST_P(PreviewToolTip, NamesTheTileWhoseCellIsUnderThePointer)
{
    sheet::SheetGeometry geometry;
    geometry.cellWidth = 32;
    geometry.cellHeight = 24;
    geometry.columns = 2;
    const QStringList names { u"a"_s, u"b%3"_s, u"c"_s };
    EXPECT_EQ(previewToolTip(geometry, names, GetParam().at), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Points, PreviewToolTip,
    ::testing::Values(ToolTipCase { { 0, 0 }, u"Cell 0: a\nColumn 0, row 0"_s },
        ToolTipCase { { 40, 23 }, u"Cell 1: b%3\nColumn 1, row 0"_s },
        ToolTipCase { { 31, 24 }, u"Cell 2: c\nColumn 0, row 1"_s },
        ToolTipCase { { 40, 30 }, QString() }, ToolTipCase { { 64, 5 }, QString() },
        ToolTipCase { { -1, 5 }, QString() }));

// Cells of 32 x 24, two per row, 3 pixels apart inside a margin of 5.
TEST(PreviewCellIndex, MarginAndSpacingBelongToNoCell)
{
    sheet::SheetGeometry geometry;
    geometry.cellWidth = 32;
    geometry.cellHeight = 24;
    geometry.columns = 2;
    const sheet::SheetLayout layout { 3, 5 };
    const auto at = [&](int x, int y) { return cellIndexAt(geometry, layout, { x, y }); };
    EXPECT_EQ(at(5, 5), 0);
    EXPECT_EQ(at(36, 28), 0);
    EXPECT_EQ(at(4, 10), -1);
    EXPECT_EQ(at(37, 10), -1);
    EXPECT_EQ(at(40, 10), 1);
    EXPECT_EQ(at(10, 31), -1);
    EXPECT_EQ(at(10, 32), 2);
    EXPECT_EQ(at(76, 10), -1);
    EXPECT_EQ(previewToolTip(geometry, { u"a"_s, u"b"_s, u"c"_s }, { 10, 32 }, layout),
        u"Cell 2: c\nColumn 0, row 1"_s);
}

void drop(QWidget &target, const QString &path)
{
    QMimeData data;
    data.setUrls({ QUrl::fromLocalFile(path) });
    for (const auto type : { QEvent::DragEnter, QEvent::Drop }) {
        QDropEvent event(
            QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier, type);
        QCoreApplication::sendEvent(&target, &event);
        EXPECT_TRUE(event.isAccepted()) << type;
    }
    QCoreApplication::processEvents();
}

TEST(WindowAdditions, DroppedFolderOrFileSetsTheSourceFieldAndTheHoveredTileShows)
{
    AppHarness app;
    app.start();
    const QString first = app.makeFolder(u"first"_s);
    writeTile(first + u"/a.png", { 16, 16 }, Qt::red);
    const QString second = app.makeFolder(u"second"_s);
    writeTile(second + u"/b.png", { 16, 16 }, Qt::blue);
    writeTile(second + u"/c.png", { 16, 16 }, Qt::blue);

    drop(app.main(), first);
    EXPECT_EQ(app.control<widgets::TAdvDirectoryEdit>("sourcefiles")->text(), first);
    EXPECT_EQ(app.control<TextListEdit>("filelist")->lines(), QStringList { u"a"_s });

    // Onto a list that takes drops of its own: the window still takes the folder.
    drop(*app.control<TextListEdit>("log")->viewport(), second + u"/c.png");
    EXPECT_EQ(app.control<widgets::TAdvDirectoryEdit>("sourcefiles")->text(), second);
    EXPECT_EQ(app.control<TextListEdit>("filelist")->lines(), (QStringList { u"b"_s, u"c"_s }));
    EXPECT_TRUE(app.control<TextListEdit>("log")->lines().isEmpty());

    RasterView &preview = *app.control<RasterView>("pb");
    QHelpEvent hover(QEvent::ToolTip, { 20, 3 }, preview.mapToGlobal(QPoint(20, 3)));
    QCoreApplication::sendEvent(&preview, &hover);
    EXPECT_EQ(QToolTip::text(), u"Cell 1: c\nColumn 1, row 0"_s);

    QMimeData web;
    web.setUrls({ QUrl(u"https://example.org/tiles/"_s) });
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&app.main(), &enter);
    EXPECT_FALSE(enter.isAccepted());
}

} // namespace
} // namespace quiltmap::app::test
