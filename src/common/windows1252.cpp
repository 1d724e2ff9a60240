#include "common/windows1252.h"

#include <QList>
#include <algorithm>
#include <array>

namespace quiltmap {
namespace {

// Characters of the bytes 0x80 to 0x9F.
constexpr std::array<char16_t, 32> kUpperControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, //
};

} // namespace

QString fromWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        text[i]
            = QChar(byte >= 0x80 && byte < 0xA0 ? kUpperControlRange[byte - 0x80] : char16_t(byte));
    }
    return text;
}

std::optional<char> windows1252Byte(char32_t character)
{
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
        return static_cast<char>(character);
    for (std::size_t i = 0; i < kUpperControlRange.size(); ++i) {
        if (kUpperControlRange[i] == character)
            return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

namespace {

// The nearest character of the code page: the canonical decomposition with combining marks
// dropped from the end until what is left composes to characters the code page has.
void appendSimilar(QByteArray &out, char32_t c)
{
    const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_D);
    for (qsizetype length = decomposed.size() - 1; length > 0; --length) {
        const QString candidate = decomposed.left(length).normalized(QString::NormalizationForm_C);
        QByteArray bytes;
        for (const char32_t part : candidate.toUcs4()) {
            if (const std::optional<char> byte = windows1252Byte(part))
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

void appendWindows1252(QByteArray &out, QStringView text)
{
    // ASCII text is composed already and is its own bytes; most names are.
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) {
        const qsizetype start = out.size();
        out.resize(start + text.size());
        std::transform(text.begin(), text.end(), out.begin() + start,
            [](QChar c) { return char(c.unicode()); });
        return;
    }
    // Composed first, so that a letter followed by its accent counts as one accented letter.
    for (const char32_t c : text.toString().normalized(QString::NormalizationForm_C).toUcs4()) {
        if (const std::optional<char> byte = windows1252Byte(c))
            out.append(*byte);
        else
            appendSimilar(out, c);
    }
}

QByteArray toWindows1252(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    appendWindows1252(out, text);
    return out;
}

} // namespace quiltmap
