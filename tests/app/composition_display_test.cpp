#include "app/composition_display.h"
#include "app/raster_view.h"
#include "app/text_list_edit.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <gtest/gtest.h>

namespace quiltmap::app {
namespace {

using namespace Qt::StringLiterals;

// Records the areas the preview paints.
class PaintLog : public QObject
{
public:
    QList<QRect> painted;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted.append(static_cast<QPaintEvent *>(event)->rect());
        return false;
    }
};

// Tiles gathered within one frame (16 ms) are shown together: their names at once, their areas
// in one repaint of the area they cover; the frame starts again at every showing.
TEST(CompositionDisplay, ShowsTheTilesOfAFrameTogetherAndStartsTheNextFrameThen)
{
    RasterView preview;
    preview.resize(64, 64);
    preview.show();
    QCoreApplication::processEvents();
    PaintLog paints;
    preview.installEventFilter(&paints);
    TextListEdit names;
    qint64 now = 1000;
    CompositionDisplay display(preview, names, [&] { return now; });

    display.add({ 0, 0, 8, 8 }, u"a"_s);
    now += 15;
    display.add({ 8, 0, 8, 8 }, u"b"_s);
    QCoreApplication::processEvents();
    EXPECT_TRUE(names.lines().isEmpty());
    EXPECT_TRUE(paints.painted.isEmpty());

    now += 1;
    display.add({ 16, 8, 8, 8 }, u"c"_s);
    QCoreApplication::processEvents();
    EXPECT_EQ(names.lines(), (QStringList { u"a"_s, u"b"_s, u"c"_s }));
    EXPECT_EQ(paints.painted, QList<QRect> { QRect(0, 0, 24, 16) });

    now += 15;
    display.add({ 0, 16, 8, 8 }, u"d"_s);
    EXPECT_EQ(names.lines().size(), 3);
    display.flush();
    QCoreApplication::processEvents();
    EXPECT_EQ(names.lines().size(), 4);
    EXPECT_EQ(paints.painted.size(), 2);
    EXPECT_EQ(paints.painted.value(1), QRect(0, 16, 8, 8));
}

} // namespace
} // namespace quiltmap::app
