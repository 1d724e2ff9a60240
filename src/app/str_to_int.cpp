#include "app/str_to_int.h"

#include "common/error.h"

namespace quiltmap::app {

namespace {

int hexDigitValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

} // namespace

std::optional<std::int32_t> parseStrictInt(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }

    bool hex = false;
    if (i < n && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i == n)
        return std::nullopt;

    // Accumulated in 64 bits; the limits below keep it far from overflowing.
    std::uint64_t magnitude = 0;
    for (; i < n; ++i) {
        if (hex) {
            const int digit = hexDigitValue(text[i]);
            if (digit < 0)
                return std::nullopt;
            magnitude = magnitude * 16 + std::uint64_t(digit);
            if (magnitude > 0xFFFFFFFFu)
                return std::nullopt;
        } else {
            if (text[i] < u'0' || text[i] > u'9')
                return std::nullopt;
            magnitude = magnitude * 10 + std::uint64_t(text[i].unicode() - u'0');
            if (magnitude > 0x80000000u)
                return std::nullopt;
        }
    }

    if (hex) {
        const auto pattern = static_cast<std::uint32_t>(magnitude);
        return static_cast<std::int32_t>(negative ? 0u - pattern : pattern);
    }
    if (negative)
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
    if (magnitude > 0x7FFFFFFFu)
        return std::nullopt;
    return static_cast<std::int32_t>(magnitude);
}

std::int32_t StrToInt(const QString &text)
{
    if (const auto value = parseStrictInt(text))
        return *value;
    throw Error(QStringLiteral("''%1'' ist kein gültiger Integer-Wert").arg(text));
}

} // namespace quiltmap::app
