#include "common/error.h"
#include "widgets/number_text.h"

#include <gtest/gtest.h>
#include <limits>

namespace quiltmap::widgets {
namespace {

struct FormatCase
{
    long double value;
    const char *text;
};

class GeneralFormat : public testing::TestWithParam<FormatCase>
{
};

TEST_P(GeneralFormat, GivesShortestTextWithFifteenDigits)
{
    EXPECT_EQ(formatGeneral(GetParam().value, u'.'), QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Numbers, GeneralFormat,
    testing::Values(FormatCase { 48, "48" }, FormatCase { 12.5L, "12.5" }, FormatCase { 0, "0" },
        FormatCase { -0.0L, "0" }, FormatCase { -2.5L, "-2.5" }, FormatCase { 0.1L + 0.2L, "0.3" },
        FormatCase { 1.0L / 3, "0.333333333333333" }, FormatCase { 2.0L / 3, "0.666666666666667" },
        FormatCase { 9999800001.0L, "9999800001" },
        FormatCase { 123456789012345.0L, "123456789012345" },
        FormatCase { 999999999999999.5L, "1E15" },
        FormatCase { 1234567890123456.0L, "1.23456789012346E15" }, FormatCase { 1e20L, "1E20" },
        FormatCase { 0.00001L, "0.00001" }, FormatCase { 0.0000015L, "1.5E-6" },
        FormatCase { -1e300L, "-1E300" }));

TEST(GeneralFormatSeparator, UsesTheGivenDecimalSeparator)
{
    EXPECT_EQ(formatGeneral(12.5L, u','), QStringLiteral("12,5"));
    EXPECT_EQ(formatGeneral(1.5e20L, u','), QStringLiteral("1,5E20"));
}

struct ParseCase
{
    const char16_t *text;
    bool valid;
    long double value;
};

class ParseNumber : public testing::TestWithParam<ParseCase>
{
};

TEST_P(ParseNumber, AcceptsOnlyPlainDecimalNumbers)
{
    const auto parsed = parseNumber(QString::fromUtf16(GetParam().text), u',');
    ASSERT_EQ(parsed.has_value(), GetParam().valid);
    if (parsed) {
        EXPECT_EQ(*parsed, GetParam().value);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseNumber,
    testing::Values(ParseCase { u"48", true, 48 }, ParseCase { u"  12 ", true, 12 },
        ParseCase { u"+5", true, 5 }, ParseCase { u"-5", true, -5 },
        ParseCase { u"1,5", true, 1.5L }, ParseCase { u",5", true, 0.5L },
        ParseCase { u"5,", true, 5 }, ParseCase { u"1E3", true, 1000 },
        ParseCase { u"1,5e-1", true, 0.15L }, ParseCase { u"007", true, 7 },
        ParseCase { u"", false, 0 }, ParseCase { u"-", false, 0 }, ParseCase { u"12a", false, 0 },
        ParseCase { u"1.5", false, 0 }, ParseCase { u"1,2,3", false, 0 },
        ParseCase { u"1 000", false, 0 }, ParseCase { u"1E", false, 0 },
        ParseCase { u"E5", false, 0 }, ParseCase { u"1-2", false, 0 },
        ParseCase { u"\u0663", false, 0 }, ParseCase { u"1E99999", false, 0 }));

TEST(NumberOrThrow, NamesTheTextInTheConversionError)
{
    try {
        numberOrThrow(QStringLiteral("12a"), u'.');
        FAIL() << "no error";
    } catch (const Error &error) {
        EXPECT_EQ(error.message(), QStringLiteral("'12a' ist kein gültiger Gleitkommawert"));
    }
}

TEST(GeneralFormatRoundTrip, ReadsBackWhatItWrites)
{
    for (const long double value : { 1.0L / 7, -123.456L, 1e-7L, 6.02214076e23L }) {
        const QString text = formatGeneral(value, u',');
        const auto back = parseNumber(text, u',');
        ASSERT_TRUE(back) << text.toStdString();
        EXPECT_EQ(formatGeneral(*back, u','), text);
    }
}

} // namespace
} // namespace quiltmap::widgets
