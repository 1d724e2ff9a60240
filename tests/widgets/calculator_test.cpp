#include "common/error.h"
#include "widgets/calculator.h"
#include "widgets/key_filter.h"
#include "widgets/locale_scope.h"

#include <gtest/gtest.h>
#include <string_view>

namespace quiltmap::widgets {
namespace {

using test::LocaleScope;

constexpr int kMaxLength = 5;

// Types keys into a text as the numeric field does, with the caret at the end and nothing
// selected.
QString typeInto(Calculator &calculator, QString text, std::u32string_view keys)
{
    for (const char32_t key : keys) {
        const TypedKeyEdit edit = filterTypedKey(calculator, key, text, 0, kMaxLength);
        switch (edit.kind) {
        case TypedKeyEdit::SetText:
            text = edit.text;
            break;
        case TypedKeyEdit::Insert:
            text += edit.text;
            break;
        case TypedKeyEdit::Backspace:
            text.chop(1);
            break;
        case TypedKeyEdit::Nothing:
            break;
        }
    }
    return text;
}

struct TypingCase
{
    const char *name;
    const char16_t *start;
    std::u32string_view keys;
    const char16_t *shown;
};

class Typing : public testing::TestWithParam<TypingCase>
{
protected:
    LocaleScope m_locale { LocaleScope::english() };
};

TEST_P(Typing, ShowsTheExpectedText)
{
    Calculator calculator;
    EXPECT_EQ(typeInto(calculator, QString::fromUtf16(GetParam().start), GetParam().keys),
        QString::fromUtf16(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(Keys, Typing,
    testing::Values(TypingCase { "DigitReplacesZero", u"0", U"7", u"7" },
        TypingCase { "SixthKeyRefused", u"", U"123456", u"12345" },
        TypingCase { "LetterAndBlankDropped", u"12", U"a ", u"12" },
        TypingCase { "SumOnEquals", u"0", U"12+3=", u"15" },
        TypingCase { "EnterIsEquals", u"0", U"12+3\r", u"15" },
        TypingCase { "PercentOfRunningValue", u"0", U"100+5%", u"5" },
        TypingCase { "MinusSubtracts", u"0", U"12-5=", u"7" },
        TypingCase { "DivisionShowsFraction", u"0", U"25/2=", u"12.5" },
        TypingCase { "DivisionByZeroGivesZero", u"0", U"5/0=", u"0" },
        TypingCase { "ResultNotLimited", u"0", U"99999*99999=", u"9999800001" },
        TypingCase { "LongTextFromCodeTakesNoMoreDigits", u"9999800001", U"1", u"9999800001" },
        TypingCase { "BackspaceOnLastCharacterGivesZero", u"5", U"\b", u"0" },
        TypingCase { "BackspaceDeletes", u"48", U"\b", u"4" },
        TypingCase { "TypedClear", u"123", U"C", u"0" },
        TypingCase { "SecondSeparatorDropped", u"1", U".5.", u"1.5" },
        TypingCase { "ThousandsSeparatorDropped", u"1", U",2", u"12" },
        TypingCase { "OtherScriptDigit", u"0", U"\u0663", u"\u0663" },
        TypingCase { "SuperscriptAndFraction", u"1", U"\u00B2\u00BD", u"1\u00B2\u00BD" },
        TypingCase { "LetterNumber", u"0", U"\u216B", u"\u216B" },
        TypingCase { "DigitOutsideBasicPlane", u"0", U"\U0001D7D9", u"\U0001D7D9" }),
    [](const testing::TestParamInfo<TypingCase> &row) { return std::string(row.param.name); });

TEST(CalculatorState, FirstOperationAddsTheTextToZero)
{
    Calculator calculator;
    EXPECT_EQ(calculator.add(QStringLiteral("7")), QStringLiteral("7"));
    EXPECT_EQ(calculator.prevval(), 7);
    EXPECT_EQ(calculator.prevop(), Calculator::Add);
    EXPECT_TRUE(calculator.newval());
}

TEST(CalculatorState, EnterArmsNewvalSoTheNextDigitStartsANumber)
{
    const LocaleScope locale(LocaleScope::english());
    Calculator calculator;
    EXPECT_EQ(typeInto(calculator, QStringLiteral("0"), U"12\r"), QStringLiteral("12"));
    EXPECT_TRUE(calculator.newval());
    EXPECT_EQ(calculator.prevop(), Calculator::None);
    EXPECT_EQ(typeInto(calculator, QStringLiteral("12"), U"5"), QStringLiteral("5"));
    EXPECT_FALSE(calculator.newval());
}

TEST(CalculatorState, EqualsContinuesFromTheShownRoundedNumber)
{
    const LocaleScope locale(LocaleScope::english());
    Calculator calculator;
    // Unrounded, a third of 300 percent would show 1.
    EXPECT_EQ(typeInto(calculator, QStringLiteral("0"), U"1/3=300%"),
        QStringLiteral("0.999999999999999"));
}

TEST(CalculatorState, OverflowCountsAsZero)
{
    const LocaleScope locale(LocaleScope::english());
    Calculator calculator;
    calculator.multiply(QStringLiteral("1E4000"));
    EXPECT_EQ(calculator.equals(QStringLiteral("1E4000")), QStringLiteral("0"));
}

TEST(CalculatorState, NonNumberFailsBeforeAnythingChanges)
{
    Calculator calculator;
    calculator.multiply(QStringLiteral("6"));
    for (const auto &operation : { &Calculator::add, &Calculator::equals }) {
        try {
            (calculator.*operation)(QStringLiteral("12a"));
            ADD_FAILURE() << "no error";
        } catch (const Error &error) {
            EXPECT_EQ(error.message(), QStringLiteral("'12a' ist kein gültiger Gleitkommawert"));
        }
        EXPECT_EQ(calculator.prevval(), 6);
        EXPECT_EQ(calculator.prevop(), Calculator::Multiply);
        EXPECT_TRUE(calculator.newval());
    }
    EXPECT_THROW(calculator.percent(QStringLiteral("x")), Error);
}

TEST(CalculatorState, EmptyTextCountsAsZero)
{
    Calculator calculator;
    calculator.add(QStringLiteral("5"));
    EXPECT_EQ(calculator.equals(QString()), QStringLiteral("5"));
}

TEST(CalculatorState, ClearsDifferByWhatTheyKeep)
{
    Calculator typed;
    typed.add(QStringLiteral("9"));
    typed.setNewval(false);
    EXPECT_EQ(typed.clearEntry(), QStringLiteral("0"));
    EXPECT_EQ(typed.prevval(), 9);
    EXPECT_EQ(typed.prevop(), Calculator::None);
    EXPECT_TRUE(typed.newval());

    Calculator button;
    button.add(QStringLiteral("9"));
    button.setNewval(false);
    EXPECT_EQ(
        pressPanelButton(button, QStringLiteral("C"), QStringLiteral("3")), QStringLiteral("0"));
    EXPECT_EQ(button.prevval(), 0);
    EXPECT_EQ(button.prevop(), Calculator::None);
    EXPECT_FALSE(button.newval());

    Calculator key;
    key.add(QStringLiteral("9"));
    key.setNewval(false);
    EXPECT_EQ(panelTypedKey(key, U'c', QStringLiteral("3")), QStringLiteral("0"));
    EXPECT_EQ(key.prevval(), 0);
    EXPECT_TRUE(key.newval());
}

TEST(PanelButtons, DigitsPointAndSign)
{
    const LocaleScope locale(LocaleScope::german());
    Calculator calculator;
    const auto press = [&](const char *caption, const QString &text) {
        return pressPanelButton(calculator, QString::fromLatin1(caption), text);
    };
    EXPECT_EQ(press("7", QStringLiteral("0")), QStringLiteral("7"));
    EXPECT_EQ(press("8", QStringLiteral("7")), QStringLiteral("78"));
    EXPECT_EQ(press(".", QStringLiteral("0")), QStringLiteral("0,"));
    EXPECT_EQ(press(".", QStringLiteral("12")), QStringLiteral("12,"));
    EXPECT_EQ(press(".", QStringLiteral("1,2")), QStringLiteral("1,2"));
    EXPECT_EQ(press("+/-", QStringLiteral("12")), QStringLiteral("-12"));
    EXPECT_EQ(press("+/-", QStringLiteral("-12")), QStringLiteral("12"));
    EXPECT_EQ(press("+/-", QStringLiteral("1-2")), QStringLiteral("-1-2"));
    calculator.setNewval(true);
    EXPECT_EQ(press(".", QStringLiteral("15")), QStringLiteral("0,"));
    EXPECT_FALSE(calculator.newval());
}

TEST(PanelKeys, SeparatorBackspaceAndOperations)
{
    const LocaleScope locale(LocaleScope::german());
    Calculator calculator;
    EXPECT_EQ(panelTypedKey(calculator, U',', QStringLiteral("12")), QStringLiteral("12,"));
    EXPECT_EQ(panelTypedKey(calculator, U',', QStringLiteral("1,2")), QStringLiteral("1,2"));
    EXPECT_EQ(panelTypedKey(calculator, U'.', QStringLiteral("12")), QStringLiteral("12"));
    EXPECT_EQ(panelTypedKey(calculator, kBackspaceKey, QStringLiteral("12")), QStringLiteral("1"));
    EXPECT_EQ(panelTypedKey(calculator, kBackspaceKey, QStringLiteral("1")), QStringLiteral("0"));
    EXPECT_EQ(panelTypedKey(calculator, U'4', QStringLiteral("0")), QStringLiteral("4"));
    EXPECT_EQ(panelTypedKey(calculator, U'+', QStringLiteral("4")), QStringLiteral("4"));
    EXPECT_EQ(panelTypedKey(calculator, U'6', QStringLiteral("4")), QStringLiteral("6"));
    EXPECT_EQ(panelTypedKey(calculator, kEnterKey, QStringLiteral("6")), QStringLiteral("10"));
}

TEST(GermanSeparators, CommaIsTheDecimalSeparatorAndDotIsDropped)
{
    const LocaleScope locale(LocaleScope::german());
    Calculator calculator;
    EXPECT_EQ(typeInto(calculator, QStringLiteral("0"), U"25/2="), QStringLiteral("12,5"));
    Calculator typing;
    EXPECT_EQ(typeInto(typing, QStringLiteral("1"), U".,5,"), QStringLiteral("1,5"));
}

} // namespace
} // namespace quiltmap::widgets
