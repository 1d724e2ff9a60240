#pragma once

#include <QString>

namespace quiltmap::widgets {

// The pocket calculator behind the numeric field. The field's text is the display: every
// operation takes the current text and returns the new one. Operations that read the text as
// a number throw quiltmap::Error before any state changes when it is not one.
class Calculator
{
public:
    // Values of prevop.
    enum Pending { None = -1, Add = 0, Multiply = 1, Subtract = 2, Divide = 3 };

    QString add(const QString &text) { return chain(text, Add); }
    QString subtract(const QString &text) { return chain(text, Subtract); }
    QString multiply(const QString &text) { return chain(text, Multiply); }
    QString divide(const QString &text) { return chain(text, Divide); }
    QString equals(const QString &text);
    QString percent(const QString &text) const;

    // Typed "C": a new number starts, the running result stays.
    QString clearEntry();
    // The panel's "C" button: the running result goes too; newval is left as it is.
    QString clearAll();

    // The panel's digit buttons and digit keys.
    QString digit(QChar digit, const QString &text);
    // The panel's "." button.
    QString decimalPoint(const QString &text);
    // The panel's "+/-" button: only a leading minus sign counts.
    static QString toggleSign(const QString &text);

    long double prevval() const { return m_prevval; }
    Pending prevop() const { return m_prevop; }
    bool newval() const { return m_newval; }
    void setNewval(bool startsNewNumber) { m_newval = startsNewNumber; }

private:
    QString chain(const QString &text, Pending next);
    QString applyPending(const QString &text);

    long double m_prevval = 0;
    Pending m_prevop = Add;
    bool m_newval = false;
};

} // namespace quiltmap::widgets
