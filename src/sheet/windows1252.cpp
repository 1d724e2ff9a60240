#include "sheet/windows1252.h"

#include "common/windows1252.h"

#include <QList>
#include <QString>
#include <optional>

namespace quiltmap::sheet {
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

QByteArray toWindows1252(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    // Composed first, so that a letter followed by its accent counts as one accented letter.
    for (const char32_t c : text.toString().normalized(QString::NormalizationForm_C).toUcs4()) {
        if (const std::optional<char> byte = windows1252Byte(c))
            out.append(*byte);
        else
            appendSimilar(out, c);
    }
    return out;
}

} // namespace quiltmap::sheet
