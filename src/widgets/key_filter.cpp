#include "widgets/key_filter.h"

#include "widgets/calculator.h"
#include "widgets/number_text.h"

#include <QChar>

namespace quiltmap::widgets {

namespace {

// Runs the calculator operation of an operation key; false for any other key.
bool runOperationKey(Calculator &calculator, char32_t key, QString &text)
{
    switch (key) {
    case kEnterKey:
    case U'=':
        text = calculator.equals(text);
        return true;
    case U'%':
        text = calculator.percent(text);
        return true;
    case U'*':
        text = calculator.multiply(text);
        return true;
    case U'+':
        text = calculator.add(text);
        return true;
    case U'-':
        text = calculator.subtract(text);
        return true;
    case U'/':
        text = calculator.divide(text);
        return true;
    default:
        return false;
    }
}

QString textOfKey(char32_t key)
{
    return QString::fromUcs4(&key, 1);
}

} // namespace

bool isNumberCharacter(char32_t character)
{
    switch (QChar::category(character)) {
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
        return true;
    default:
        return false;
    }
}

TypedKeyEdit filterTypedKey(
    Calculator &calculator, char32_t key, const QString &text, int selectedLength, int maxLength)
{
    QString shown = text;
    if (runOperationKey(calculator, key, shown))
        return { TypedKeyEdit::SetText, shown };
    if (key == U'C' || key == U'c')
        return { TypedKeyEdit::SetText, calculator.clearEntry() };

    const QChar separator = localeDecimalSeparator();
    const bool number = isNumberCharacter(key);
    const bool isSeparator = key == separator.unicode();
    if (!number && !isSeparator && key != kBackspaceKey)
        return {};

    if (number && (text == u"0" || calculator.newval())) {
        calculator.setNewval(false);
        return { TypedKeyEdit::SetText, textOfKey(key) };
    }
    if (key == kBackspaceKey) {
        if (text.size() == 1)
            return { TypedKeyEdit::SetText, QStringLiteral("0") };
        return { TypedKeyEdit::Backspace, {} };
    }
    // A thousands separator never gets here: it is not a number character.
    if (isSeparator && text.contains(separator))
        return {};

    const QString inserted = textOfKey(key);
    if (text.size() - selectedLength + inserted.size() > maxLength)
        return {};
    return { TypedKeyEdit::Insert, inserted };
}

QString panelTypedKey(Calculator &calculator, char32_t key, const QString &text)
{
    const QChar separator = localeDecimalSeparator();
    if (key == separator.unicode())
        return text.contains(separator) ? text : text + separator;
    switch (key) {
    case kEnterKey:
        return calculator.equals(text);
    case kBackspaceKey: {
        const QString shortened = text.left(text.size() - 1);
        return shortened.isEmpty() ? QStringLiteral("0") : shortened;
    }
    case U'C':
    case U'c':
        calculator.setNewval(true);
        return calculator.clearAll();
    case U'%':
    case U'*':
    case U'+':
    case U'-':
    case U'/':
    case U'=':
        return pressPanelButton(calculator, textOfKey(key), text);
    default:
        if (key >= U'0' && key <= U'9')
            return calculator.digit(QChar(key), text);
        return text;
    }
}

QString pressPanelButton(Calculator &calculator, const QString &caption, const QString &text)
{
    if (caption.size() == 1 && caption.front() >= u'0' && caption.front() <= u'9')
        return calculator.digit(caption.front(), text);
    if (caption == u"+")
        return calculator.add(text);
    if (caption == u"-")
        return calculator.subtract(text);
    if (caption == u"*")
        return calculator.multiply(text);
    if (caption == u"/")
        return calculator.divide(text);
    if (caption == u"=")
        return calculator.equals(text);
    if (caption == u"%")
        return calculator.percent(text);
    if (caption == u"C")
        return calculator.clearAll();
    if (caption == u".")
        return calculator.decimalPoint(text);
    if (caption == u"+/-")
        return Calculator::toggleSign(text);
    return text;
}

} // namespace quiltmap::widgets
