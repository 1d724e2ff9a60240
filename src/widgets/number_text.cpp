#include "widgets/number_text.h"

#include "common/error.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <string>

namespace quiltmap::widgets {

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isBlank(QChar c)
{
    return c == u' ';
}

constexpr int kSignificantDigits = 15;
// Plain notation down to this decimal exponent (0.00001).
constexpr int kSmallestPlainExponent = -5;

// Digits without trailing zeros and the decimal exponent of the first digit, rounded to 15
// significant digits.
struct Decimal
{
    std::string digits;
    int exponent = 0;
};

Decimal roundedDecimal(long double magnitude)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
        std::chars_format::scientific, kSignificantDigits - 1);
    const std::string text(buffer, result.ptr);
    const auto e = text.find('e');
    Decimal decimal;
    for (char c : text.substr(0, e))
        if (c != '.')
            decimal.digits += c;
    decimal.exponent = std::stoi(text.substr(e + 1));
    while (decimal.digits.size() > 1 && decimal.digits.back() == '0')
        decimal.digits.pop_back();
    return decimal;
}

QString plainNotation(const Decimal &d, QChar separator)
{
    QString out;
    const int digitCount = static_cast<int>(d.digits.size());
    if (d.exponent < 0) {
        out = QStringLiteral("0") + separator + QString(-d.exponent - 1, u'0')
            + QString::fromLatin1(d.digits);
        return out;
    }
    const int integerDigits = d.exponent + 1;
    if (digitCount <= integerDigits)
        return QString::fromLatin1(d.digits) + QString(integerDigits - digitCount, u'0');
    return QString::fromLatin1(d.digits.substr(0, integerDigits)) + separator
        + QString::fromLatin1(d.digits.substr(integerDigits));
}

QString exponentNotation(const Decimal &d, QChar separator)
{
    QString out = QChar::fromLatin1(d.digits[0]);
    if (d.digits.size() > 1)
        out += separator + QString::fromLatin1(d.digits.substr(1));
    return out + u'E' + QString::number(d.exponent);
}

} // namespace

std::optional<long double> parseNumber(const QString &text, QChar decimalSeparator)
{
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && isBlank(text[i]))
        ++i;
    while (end > i && isBlank(text[end - 1]))
        --end;

    // The number in the form std::from_chars reads, whatever the locale.
    std::string ascii;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            ascii += '-';
        ++i;
    }
    int mantissaDigits = 0;
    bool seenSeparator = false;
    for (; i < end; ++i) {
        const QChar c = text[i];
        if (isAsciiDigit(c)) {
            ascii += static_cast<char>(c.unicode());
            ++mantissaDigits;
        } else if (c == decimalSeparator && !seenSeparator) {
            ascii += '.';
            seenSeparator = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < end && (text[i] == u'E' || text[i] == u'e')) {
        ascii += 'e';
        ++i;
        if (i < end && (text[i] == u'+' || text[i] == u'-'))
            ascii += static_cast<char>(text[i++].unicode());
        int exponentDigits = 0;
        for (; i < end && isAsciiDigit(text[i]); ++i, ++exponentDigits)
            ascii += static_cast<char>(text[i].unicode());
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != end)
        return std::nullopt;

    long double value = 0;
    const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (result.ec != std::errc() || result.ptr != ascii.data() + ascii.size())
        return std::nullopt;
    return value;
}

long double numberOrThrow(const QString &text, QChar decimalSeparator)
{
    const auto value = parseNumber(text, decimalSeparator);
    if (!value)
        throw Error(QStringLiteral("'%1' ist kein gültiger Gleitkommawert").arg(text));
    return *value;
}

QString formatGeneral(long double value, QChar decimalSeparator)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");

    const Decimal d = roundedDecimal(std::fabs(value));
    const bool plain = d.exponent >= kSmallestPlainExponent && d.exponent < kSignificantDigits;
    const QString magnitude
        = plain ? plainNotation(d, decimalSeparator) : exponentNotation(d, decimalSeparator);
    return value < 0 ? u'-' + magnitude : magnitude;
}

QChar localeDecimalSeparator()
{
    const QString separator = QLocale().decimalPoint();
    return separator.isEmpty() ? u'.' : separator.front();
}

} // namespace quiltmap::widgets
