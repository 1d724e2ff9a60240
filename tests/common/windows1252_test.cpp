#include "common/windows1252.h"

#include <gtest/gtest.h>

namespace quiltmap {
namespace {

struct CodePageCase
{
    const char16_t *text;
    const char *bytes;
};

void PrintTo(const CodePageCase &c, std::ostream *os)
{
    *os << QString::fromUtf16(c.text).toStdString();
}

class Windows1252Test : public testing::TestWithParam<CodePageCase>
{
};

TEST_P(Windows1252Test, MapsOrApproximates)
{
    EXPECT_EQ(toWindows1252(QString::fromUtf16(GetParam().text)), QByteArray(GetParam().bytes));
}

INSTANTIATE_TEST_SUITE_P(Table, Windows1252Test,
    testing::Values(CodePageCase { u"Icon", "Icon" }, CodePageCase { u"é ÿ ß", "\xE9 \xFF \xDF" },
        CodePageCase { u"€‚ƒ„…†‡ˆ‰Š‹ŒŽ", "\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E" },
        CodePageCase {
            u"‘’“”•–—˜™š›œžŸ", "\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9E\x9F" },
        CodePageCase { u"ā ő Ș ǖ", "a o S \xFC" }, CodePageCase { u"ł 日 😀", "? ? ?" },
        CodePageCase { u"\u0081\u0080", "\x81?" }, CodePageCase { u"e\u0301 \u0301", "\xE9 ?" }));

} // namespace
} // namespace quiltmap
