#include "widgets/markup_text.h"

#include <array>

namespace quiltmap::widgets {
namespace {

struct Entity
{
    QStringView name;
    QStringView replacement;
};

constexpr std::array<Entity, 9> wholeTextEntities { {
    { u"&amp;", u"&&" },
    { u"&quot;", u"\"" },
    { u"&sect;", u"\u00A7" },
    { u"&permil;", u"\u2030" },
    { u"&reg;", u"\u00AE" },
    { u"&copy;", u"\u00A9" },
    { u"&para;", u"\u00B6" },
    { u"&trade;", u"\u2122" },
    { u"&euro;", u"\u20AC" },
} };

// Each sweep replaces the first occurrence of every entity; a replacement can form a new
// entity with the text after it, so sweeps repeat until one changes nothing. Every replacement
// shortens the text, so this ends.
void replaceWholeTextEntities(QString &text)
{
    bool replaced = true;
    while (replaced) {
        replaced = false;
        for (const Entity &entity : wholeTextEntities) {
            const qsizetype at = text.indexOf(entity.name, 0, Qt::CaseInsensitive);
            if (at >= 0) {
                text.replace(at, entity.name.size(), entity.replacement.toString());
                replaced = true;
            }
        }
    }
}

void unwrapHashTags(QString &text)
{
    qsizetype at = text.indexOf(u"<#");
    while (at >= 0) {
        text.remove(at, 1);
        const qsizetype close = text.indexOf(u'>', at);
        if (close >= 0)
            text.remove(close, 1);
        // Removing the "<" can pair an earlier "<" with this "#".
        at = text.indexOf(u"<#", at > 0 ? at - 1 : 0);
    }
}

} // namespace

PreparedMarkup prepareMarkup(QString text)
{
    PreparedMarkup result;
    result.prefix = !text.contains(u" & ");
    if (text.contains(u'&'))
        replaceWholeTextEntities(text);
    unwrapHashTags(text);
    text.replace(u'\r', QStringLiteral("<BR>"));
    text.remove(u'\n');
    result.text = std::move(text);
    return result;
}

QString replaceRunEntities(QStringView run)
{
    QString text = run.toString();
    if (!text.contains(u'&'))
        return text;
    text.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "), Qt::CaseInsensitive);
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"), Qt::CaseInsensitive);
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"), Qt::CaseInsensitive);
    return text;
}

QStringView trimControls(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.sliced(begin, end - begin);
}

QChar asciiUpper(QChar c)
{
    return c >= u'a' && c <= u'z' ? QChar(c.unicode() - u'a' + u'A') : c;
}

QString asciiUpper(QStringView text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text)
        result.append(asciiUpper(c));
    return result;
}

} // namespace quiltmap::widgets
