#include "sheet/tile_name.h"

#include <gtest/gtest.h>

namespace quiltmap::sheet {
namespace {

struct NameCase
{
    const char *file;
    const char *entry;
};

void PrintTo(const NameCase &c, std::ostream *os)
{
    *os << c.file;
}

class TileNameTest : public testing::TestWithParam<NameCase>
{
};

TEST_P(TileNameTest, RemovesTheExtensionEverywhere)
{
    EXPECT_EQ(tileName(QString::fromUtf8(GetParam().file)), QString::fromUtf8(GetParam().entry));
}

INSTANTIATE_TEST_SUITE_P(Table, TileNameTest,
    testing::Values(NameCase { "icon.png", "icon" }, NameCase { "Icon.PNG", "Icon" },
        NameCase { "x.png.png", "x" }, NameCase { "a.png.PNG", "a.png" },
        NameCase { ".png", ".png" }, NameCase { "noext", "noext" }, NameCase { "a.pngb.png", "ab" },
        NameCase { "arrow.bmp", "arrow" }, NameCase { "my.icons.png", "my.icons" },
        NameCase { "trail.", "trail" }, NameCase { "dir.x/name", "name" },
        NameCase { "dir/a.b.c", "a.b" }, NameCase { "Zürich.png", "Zürich" }));

} // namespace
} // namespace quiltmap::sheet
