#include "app/composition_display.h"
#include "app/raster_view.h"
#include "app/text_list_edit.h"

#include <gtest/gtest.h>
#include <thread>

namespace quiltmap::app {
namespace {

using namespace Qt::StringLiterals;

TEST(CompositionDisplay, ShowsWhatItGatheredOnceAFrameHasPassedAndOnFlush)
{
    RasterView preview;
    TextListEdit names;
    CompositionDisplay display(preview, names);

    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    display.add({ 0, 0, 8, 8 }, u"a"_s);
    EXPECT_EQ(names.lines(), (QStringList { u"a"_s }));
    display.add({ 8, 0, 8, 8 }, u"b"_s);
    display.add({ 16, 0, 8, 8 }, u"c"_s);
    display.flush();
    EXPECT_EQ(names.lines(), (QStringList { u"a"_s, u"b"_s, u"c"_s }));
}

} // namespace
} // namespace quiltmap::app
