#include "app/app_title.h"

#include <gtest/gtest.h>

namespace quiltmap::app {
namespace {

TEST(ApplicationTitle, FileNameCutAtFirstDotAndLoweredAfterFirstCharacter)
{
    EXPECT_EQ(applicationTitle(QStringLiteral("/opt/q/CreateQuiltMap")), u"Createquiltmap");
    EXPECT_EQ(applicationTitle(QStringLiteral("/opt/q.d/CreateQuiltMap.exe")), u"Createquiltmap");
    EXPECT_EQ(applicationTitle(QStringLiteral("my.Tool.bin")), u"my");
    EXPECT_EQ(applicationTitle(QStringLiteral("/x/aBC")), u"abc");
    EXPECT_EQ(applicationTitle(QStringLiteral("/x/.hidden")), u"");
}

} // namespace
} // namespace quiltmap::app
