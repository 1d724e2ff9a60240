#include "settings/version_text.h"

#include <gtest/gtest.h>

namespace quiltmap::settings {
namespace {

// This test program is built without the version stamp.
TEST(VersionText, ExecutableWithoutStampGivesEmptyText)
{
    EXPECT_EQ(GetVersionText(), QString());
}

} // namespace
} // namespace quiltmap::settings
