#include "sheet/windows1252.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace quiltmap::sheet {
namespace {

// Characters of the bytes 0x80 to 0x9F; the five bytes without a character keep the C1
// control of their own value, as the system's conversion does.
constexpr std::array<char32_t, 32> upperControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

std::optional<char> byteOf(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (std::size_t i = 0; i < upperControlRange.size(); ++i) {
        if (upperControlRange[i] == c)
            return char(0x80 + i);
    }
    return std::nullopt;
}

// The nearest character of the code page: the canonical decomposition with combining marks
// dropped from the end until what is left composes to characters the code page has.
void appendSimilar(QByteArray &out, char32_t c)
{
    const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_D);
    for (qsizetype length = decomposed.size() - 1; length > 0; --length) {
        const QString candidate = decomposed.left(length).normalized(QString::NormalizationForm_C);
        QByteArray bytes;
        for (const char32_t part : candidate.toUcs4()) {
            if (const std::optional<char> byte = byteOf(part))
                bytes.append(*byte);
            else
                break;
        }
        if (!bytes.isEmpty() && bytes.size() == candidate.toUcs4().size()) {
            out.append(bytes);
            return;
        }
    }
    out.append('?');
}

} // namespace

QByteArray toWindows1252(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    // Composed first, so that a letter followed by its accent counts as one accented letter.
    for (const char32_t c : text.toString().normalized(QString::NormalizationForm_C).toUcs4()) {
        if (const std::optional<char> byte = byteOf(c))
            out.append(*byte);
        else
            appendSimilar(out, c);
    }
    return out;
}

} // namespace quiltmap::sheet
