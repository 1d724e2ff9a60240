#include "widgets/calculator.h"

#include "widgets/number_text.h"

#include <cmath>

namespace quiltmap::widgets {

namespace {

long double numberOfText(const QString &text)
{
    return numberOrThrow(text.isEmpty() ? QStringLiteral("0") : text, localeDecimalSeparator());
}

QString textOf(long double value)
{
    return formatGeneral(value, localeDecimalSeparator());
}

bool startsNumberAnew(const QString &text, bool newval)
{
    return newval || text == u"0";
}

} // namespace

QString Calculator::applyPending(const QString &text)
{
    const long double x = numberOfText(text);
    long double result = x;
    switch (m_prevop) {
    case Add:
        result = m_prevval + x;
        break;
    case Multiply:
        result = m_prevval * x;
        break;
    case Subtract:
        result = m_prevval - x;
        break;
    case Divide:
        result = x == 0 ? 0 : m_prevval / x;
        break;
    case None:
        break;
    }
    // An overflowing result counts as a failed operation.
    m_prevval = std::isfinite(result) ? result : 0;
    m_newval = true;
    return textOf(m_prevval);
}

QString Calculator::chain(const QString &text, Pending next)
{
    const QString shown = applyPending(text);
    m_prevop = next;
    return shown;
}

QString Calculator::equals(const QString &text)
{
    const QString shown = applyPending(text);
    // The running result continues from the shown (rounded) number.
    m_prevval = numberOfText(shown);
    m_prevop = None;
    return shown;
}

QString Calculator::percent(const QString &text) const
{
    return textOf(m_prevval * numberOfText(text) / 100);
}

QString Calculator::clearEntry()
{
    m_newval = true;
    m_prevop = None;
    return QStringLiteral("0");
}

QString Calculator::clearAll()
{
    m_prevval = 0;
    m_prevop = None;
    return QStringLiteral("0");
}

QString Calculator::digit(QChar digit, const QString &text)
{
    if (!startsNumberAnew(text, m_newval))
        return text + digit;
    m_newval = false;
    return QString(digit);
}

QString Calculator::decimalPoint(const QString &text)
{
    const QChar separator = localeDecimalSeparator();
    if (startsNumberAnew(text, m_newval)) {
        m_newval = false;
        return QStringLiteral("0") + separator;
    }
    return text.contains(separator) ? text : text + separator;
}

QString Calculator::toggleSign(const QString &text)
{
    return text.startsWith(u'-') ? text.mid(1) : u'-' + text;
}

} // namespace quiltmap::widgets
