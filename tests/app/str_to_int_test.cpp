#include "app/str_to_int.h"
#include "common/error.h"

#include <gtest/gtest.h>

namespace quiltmap::app {
namespace {

struct Accepted
{
    const char16_t *text;
    std::int32_t value;
};

class StrToIntAccepts : public testing::TestWithParam<Accepted>
{
};

TEST_P(StrToIntAccepts, GivesTheValue)
{
    EXPECT_EQ(StrToInt(QString::fromUtf16(GetParam().text)), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Texts, StrToIntAccepts,
    testing::Values(Accepted { u"0", 0 }, Accepted { u"007", 7 }, Accepted { u" 5", 5 },
        Accepted { u"   -4", -4 }, Accepted { u"+12", 12 }, Accepted { u"$10", 16 },
        Accepted { u"x1f", 31 }, Accepted { u"X1F", 31 }, Accepted { u"0x10", 16 },
        Accepted { u"0XfF", 255 }, Accepted { u"-$10", -16 }, Accepted { u"$FFFFFFFF", -1 },
        Accepted { u"$80000000", INT32_MIN }, Accepted { u"2147483647", INT32_MAX },
        Accepted { u"-2147483648", INT32_MIN }, Accepted { u"00000000000000000012", 12 }));

class StrToIntRejects : public testing::TestWithParam<const char16_t *>
{
};

TEST_P(StrToIntRejects, WithTheConversionMessage)
{
    const QString text = QString::fromUtf16(GetParam());
    try {
        StrToInt(text);
        FAIL() << "accepted " << text.toStdString();
    } catch (const Error &error) {
        EXPECT_EQ(error.message(), u"''" + text + u"'' ist kein gültiger Integer-Wert");
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, StrToIntRejects,
    testing::Values(u"", u" ", u"12x", u"5 ", u"\t5", u"+", u"-", u"$", u"0x", u"x", u"1.5",
        u"2147483648", u"-2147483649", u"$100000000", u"$G", u"--1", u"+-1", u"1 2", u"٣"));

TEST(StrToInt, EmptyTextMessageStartsWithFourApostrophes)
{
    try {
        StrToInt(QString());
        FAIL();
    } catch (const Error &error) {
        EXPECT_TRUE(error.message().startsWith(u"'''' ist"));
    }
}

} // namespace
} // namespace quiltmap::app
