#include "app/raster_view.h"
#include "app/text_list_edit.h"
#include "app/window_additions.h"
#include "app_harness.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBlock>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace quiltmap::app::test {
namespace {

using namespace Qt::StringLiterals;

// A tile whose every pixel differs from its neighbours.
void writeSpeckledTile(const QString &path, QSize size)
{
    QImage image(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixelColor(x, y, QColor(x * 9 % 256, y * 13 % 256, (x + y) * 5 % 256));
    ASSERT_TRUE(image.save(path, "PNG"));
}

// Four speckled tiles of 400 x 300 in one row.
struct WideSheet
{
    AppHarness app;
    RasterView *pb = nullptr;
    QScrollArea *box = nullptr;

    explicit WideSheet(const QString &sheetSection = {})
    {
        const QString folder = app.makeFolder(u"wide"_s);
        for (const char *name : { "a.png", "b.png", "c.png", "d.png" })
            writeSpeckledTile(folder + u'/' + QLatin1String(name), { 400, 300 });
        app.writeIni(iniFor(folder, u"4"_s) + sheetSection);
        app.start();
        pb = app.control<RasterView>("pb");
        box = app.control<QScrollArea>("ScrollBox1");
    }

    QPoint scroll() const
    {
        return { box->horizontalScrollBar()->value(), box->verticalScrollBar()->value() };
    }
    // The sheet point shown at a viewport point.
    QPointF sheetAt(QPoint viewportPoint) const
    {
        return pb->toSheet(viewportPoint + scroll() - pb->pos());
    }
};

TEST(PreviewZoom, StepsKeepThePointUnderThePointerOrTheCentre)
{
    WideSheet sheet;
    QScrollArea &box = *sheet.box;
    box.horizontalScrollBar()->setValue(200);
    const QPoint pointer(100, 50);
    const QPointF before = sheet.sheetAt(pointer);
    // The wheel turns over the preview, which passes it on to the view.
    const auto ctrlWheel = [&](int delta) {
        const QPoint onPreview = pointer + sheet.scroll() - sheet.pb->pos();
        QWheelEvent wheel(onPreview, box.viewport()->mapToGlobal(pointer), {}, { 0, delta },
            Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(sheet.pb, &wheel);
    };
    ctrlWheel(120);
    EXPECT_EQ(sheet.pb->zoom(), 200);
    EXPECT_EQ(sheet.pb->size(), QSize(3200, 600));
    EXPECT_NEAR(sheet.sheetAt(pointer).x(), before.x(), 1);
    EXPECT_NEAR(sheet.sheetAt(pointer).y(), before.y(), 1);
    ctrlWheel(120);
    ctrlWheel(120);
    EXPECT_EQ(sheet.pb->zoom(), 400);
    EXPECT_NEAR(sheet.sheetAt(pointer).x(), before.x(), 1);

    // The keys zoom about the centre of the view.
    const QPoint centre = box.viewport()->rect().center();
    const QPointF middle = sheet.sheetAt(centre);
    sheet.app.control<QAction>("ZoomOut1")->trigger();
    EXPECT_EQ(sheet.pb->zoom(), 300);
    EXPECT_NEAR(sheet.sheetAt(centre).x(), middle.x(), 1);
    EXPECT_NEAR(sheet.sheetAt(centre).y(), middle.y(), 1);
    QAction &actualSize = *sheet.app.control<QAction>("ActualSize1");
    EXPECT_EQ(actualSize.shortcut(), QKeySequence(u"Ctrl+0"_s));
    EXPECT_EQ(sheet.app.control<QAction>("ZoomIn1")->shortcut(), QKeySequence(u"Ctrl++"_s));
    EXPECT_EQ(sheet.app.control<QAction>("ZoomOut1")->shortcut(), QKeySequence(u"Ctrl+-"_s));
    // The entries sit in the View menu, after File.
    const QList<QAction *> menus = sheet.app.main().menuBar()->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[1]->menu()->objectName(), u"View1"_s);
    EXPECT_TRUE(menus[1]->menu()->actions().contains(&actualSize));
    actualSize.trigger();
    EXPECT_EQ(sheet.pb->size(), QSize(1600, 300));
    for (const int expected : { 50, 25, 25 }) {
        sheet.app.control<QAction>("ZoomOut1")->trigger();
        EXPECT_EQ(sheet.pb->zoom(), expected);
    }
    EXPECT_EQ(nextZoom(800, 1), 800);
    EXPECT_EQ(nextZoom(400, 1), 800);
}

// Above 100 %, and at 100 % on a screen of twice the pixels, each sheet pixel is a sharp block.
TEST(PreviewZoom, PixelsBecomeExactBlocks)
{
    WideSheet sheet;
    const QImage natural = sheet.pb->grab(QRect(0, 0, 40, 30)).toImage();
    const auto expectBlocks = [&](const QImage &image, int side) {
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                for (int dy = 0; dy < side; ++dy)
                    for (int dx = 0; dx < side; ++dx)
                        ASSERT_EQ(image.pixelColor(x * side + dx, y * side + dy),
                            natural.pixelColor(x, y))
                            << x << "," << y << " at " << side;
    };
    QImage doubled(80, 60, QImage::Format_RGB32);
    doubled.setDevicePixelRatio(2);
    sheet.pb->render(&doubled, {}, QRegion(0, 0, 40, 30));
    expectBlocks(doubled, 2);
    sheet.app.control<QAction>("ZoomIn1")->trigger();
    expectBlocks(sheet.pb->grab(QRect(0, 0, 80, 60)).toImage(), 2);
    sheet.app.control<QAction>("ZoomIn1")->trigger();
    sheet.app.control<QAction>("ZoomIn1")->trigger();
    expectBlocks(sheet.pb->grab(QRect(0, 0, 160, 120)).toImage(), 4);
}

TEST(PreviewGrid, LinesOnTheCellBordersRememberedInTheSettings)
{
    WideSheet sheet(u"[Sheet]\nSpacing=2\n"_s);
    QAction &grid = *sheet.app.control<QAction>("ShowGrid1");
    EXPECT_EQ(grid.shortcut(), QKeySequence(u"Ctrl+G"_s));
    const QImage plain = sheet.pb->grab(QRect(380, 100, 40, 10)).toImage();
    grid.trigger();
    const QImage lined = sheet.pb->grab(QRect(380, 100, 40, 10)).toImage();
    // The border between the first two cells lies at 400 (spacing) and 402 (next cell).
    for (int x = 0; x < 40; ++x)
        EXPECT_EQ(lined.pixelColor(x, 5) != plain.pixelColor(x, 5), x == 19 || x == 21) << x;
    sheet.app.main().close();
    EXPECT_TRUE(sheet.app.readIni().endsWith(u"[Sheet]\nSpacing=2\nGrid=1\n"_s))
        << sheet.app.readIni().toStdString();
}

TEST(PreviewGrid, TransparentSheetShowsALightCheckerboard)
{
    WideSheet sheet(u"[Sheet]\nBackground=transparent\nMargin=8\n"_s);
    const QImage margin = sheet.pb->grab(QRect(0, 0, 16, 1)).toImage();
    EXPECT_EQ(margin.pixelColor(0, 0), QColor(255, 255, 255));
    EXPECT_EQ(margin.pixelColor(8, 0), QColor(224, 224, 224));
}

TEST(PreviewCells, ClickSelectsTheLineAndTheLineOutlinesTheCell)
{
    WideSheet sheet(u"[Sheet]\nMargin=5\n"_s);
    TextListEdit &names = *sheet.app.control<TextListEdit>("filelist");
    sheet.app.control<QAction>("ZoomIn1")->trigger();
    // Cell 2 starts at 805 on the sheet, 1610 at 200 %.
    const QPoint at(1700, 100);
    QMouseEvent press(QEvent::MouseButtonPress, at, sheet.pb->mapToGlobal(at), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, sheet.pb->mapToGlobal(at), Qt::LeftButton,
        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(sheet.pb, &press);
    QApplication::sendEvent(sheet.pb, &release);
    EXPECT_EQ(names.textCursor().blockNumber(), 2);
    EXPECT_EQ(names.textCursor().selectedText(), u"c"_s);

    // The user moves to the last line: its cell is outlined and scrolled into view.
    sheet.app.main().activateWindow();
    names.setFocus();
    QTextCursor last(names.document()->findBlockByNumber(3));
    names.setTextCursor(last);
    const QRect cell(2 * (5 + 3 * 400), 2 * 5, 800, 600);
    const QRect shown(sheet.scroll() - sheet.pb->pos(), sheet.box->viewport()->size());
    EXPECT_TRUE(shown.intersects(cell));
    const QImage edge = sheet.pb->grab(QRect(cell.left(), cell.top() + 50, 4, 1)).toImage();
    const QImage inside = sheet.pb->grab(QRect(cell.left() + 8, cell.top() + 50, 1, 1)).toImage();
    EXPECT_NE(edge.pixelColor(0, 0), inside.pixelColor(0, 0));
    EXPECT_EQ(edge.pixelColor(0, 0), QColor(255, 0, 128));
}

} // namespace
} // namespace quiltmap::app::test
