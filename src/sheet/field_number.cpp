#include "sheet/field_number.h"

#include <cstdint>
#include <limits>

namespace quiltmap::sheet {
namespace {

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int value = 99;
    if (u >= u'0' && u <= u'9')
        value = u - u'0';
    else if (u >= u'a' && u <= u'f')
        value = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        value = u - u'A' + 10;
    return value < base ? value : -1;
}

int saturated(std::int64_t value)
{
    constexpr std::int64_t low = std::numeric_limits<int>::min();
    constexpr std::int64_t high = std::numeric_limits<int>::max();
    return int(value < low ? low : value > high ? high : value);
}

} // namespace

int fieldNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    const auto rest = text.mid(i);
    if (rest.startsWith(u'$') || rest.startsWith(u'x', Qt::CaseInsensitive)) {
        base = 16;
        i += 1;
    } else if (rest.startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        i += 2;
    }
    // Kept below 2^40 so that it cannot overflow; anything that large saturates anyway.
    constexpr std::int64_t cap = std::int64_t(1) << 40;
    std::int64_t magnitude = 0;
    bool anyDigit = false;
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i], base);
        if (digit < 0)
            return saturated(magnitude);
        anyDigit = true;
        magnitude = std::min(magnitude * base + digit, cap);
    }
    if (!anyDigit)
        return 0;
    return saturated(negative ? -magnitude : magnitude);
}

} // namespace quiltmap::sheet
