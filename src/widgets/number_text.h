#pragma once

#include <QString>
#include <optional>

namespace quiltmap::widgets {

// Reads a number the way the runtime's float conversion does: optional blanks around it, an
// optional sign, decimal digits with at most one decimal separator, an optional exponent
// ("E" or "e", optional sign, digits). Thousands separators are not accepted.
std::optional<long double> parseNumber(const QString &text, QChar decimalSeparator);

// Like parseNumber, but a text that is no number fails with the runtime's conversion error.
long double numberOrThrow(const QString &text, QChar decimalSeparator);

// The general number format: shortest form with at most 15 significant digits, no thousands
// separators, exponent notation ("1,5E20", "1E-7") when plain notation would need more than
// 15 integer digits or the value is below 0.00001.
QString formatGeneral(long double value, QChar decimalSeparator);

// The decimal separator of the current default locale (the user's settings unless a program
// or a test chose another).
QChar localeDecimalSeparator();

} // namespace quiltmap::widgets
