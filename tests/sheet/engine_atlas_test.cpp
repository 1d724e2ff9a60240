#include "sheet/engine_atlas.h"

#include <gtest/gtest.h>

namespace quiltmap::sheet {
namespace {

using namespace Qt::StringLiterals;

// A repeated name keeps the name in its key and never takes a key another tile has, whichever
// comes first.
TEST(FrameKeys, RepeatedNamesGetTheNextFreeNumber)
{
    EXPECT_EQ(uniqueFrameKeys({ u"a"_s, u"b"_s, u"a"_s, u"a"_s }),
        QStringList({ u"a"_s, u"b"_s, u"a~2"_s, u"a~3"_s }));
    EXPECT_EQ(uniqueFrameKeys({ u"a"_s, u"a"_s, u"a~2"_s }),
        QStringList({ u"a"_s, u"a~3"_s, u"a~2"_s }));
    EXPECT_EQ(uniqueFrameKeys({ u"a~2"_s, u"a"_s, u"a"_s, u"a~2"_s }),
        QStringList({ u"a~2"_s, u"a"_s, u"a~3"_s, u"a~2~2"_s }));
}

} // namespace
} // namespace quiltmap::sheet
