#include "widgets/text_canvas.h"

#include <gtest/gtest.h>

namespace quiltmap::widgets {
namespace {

TEST(ResolveMnemonics, MarksTheCharacterAfterEachAmpersand)
{
    const MnemonicText text = resolveMnemonics(u"&&a&b c&");
    EXPECT_EQ(text.shown, QStringLiteral("&ab c"));
    EXPECT_EQ(text.underlined, QList<qsizetype> { 2 });
}

// Every shown character is 3 px wide; tab stops lie every 8 px from the string's start.
TEST(LayoutOneLine, ExpandsTabsFromTheStringsStart)
{
    const auto advance = [](QStringView shown) { return int(shown.size()) * 3; };
    const OneLineLayout laid = layoutOneLine(u"ab\t&&c\t\td", true, 8, advance);
    ASSERT_EQ(laid.pieces.size(), 4);
    EXPECT_EQ(laid.pieces[1].x, 8);
    EXPECT_EQ(laid.pieces[1].text.shown, QStringLiteral("&c"));
    EXPECT_EQ(laid.pieces[2].x, 16);
    EXPECT_EQ(laid.pieces[3].x, 24);
    EXPECT_EQ(laid.width, 27);
    EXPECT_EQ(layoutOneLine(u"&&c", false, 8, advance).width, 9);
}

} // namespace
} // namespace quiltmap::widgets
