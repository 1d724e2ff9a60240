#include "widgets/markup_tags.h"

#include "widgets/markup_text.h"

#include <optional>

namespace quiltmap::widgets {
namespace {

int hexDigit(QChar c)
{
    return c >= u'A' ? c.unicode() - u'A' + 10 : c.unicode() - u'0';
}

// Characters outside the hex digits give values beyond a byte; a colour channel keeps the
// low eight bits, as a packed 24-bit colour would.
int hexPair(QStringView value, qsizetype at)
{
    if (at + 1 >= value.size())
        return 0;
    return (hexDigit(value[at]) * 16 + hexDigit(value[at + 1])) & 0xFF;
}

// The text between the first double quote after `name` and the next one; none when the name,
// a quote or the value is missing.
std::optional<QString> attributeValue(QStringView attributes, QStringView name)
{
    const qsizetype at = attributes.indexOf(name);
    if (at < 0)
        return std::nullopt;
    const qsizetype open = attributes.indexOf(u'"', at + name.size());
    if (open < 0)
        return std::nullopt;
    const qsizetype close = attributes.indexOf(u'"', open + 1);
    if (close <= open + 1)
        return std::nullopt;
    return attributes.sliced(open + 1, close - open - 1).toString();
}

void applyFontAttributes(QStringView text, CanvasFont &font)
{
    const qsizetype close = text.indexOf(u'>');
    if (close < 0)
        return;
    // The attributes start after "<FONT".
    constexpr qsizetype attributesStart = 5;
    const QString attributes = close > attributesStart
        ? asciiUpper(text.sliced(attributesStart, close - attributesStart))
        : QString();
    if (const auto face = attributeValue(attributes, u"FACE"))
        font.face = *face;
    if (const auto color = attributeValue(attributes, u" COLOR"); color && color->startsWith(u'#'))
        font.color = hexColor(*color);
}

void applyClosingTag(
    QStringView text, CanvasFont &font, ScriptShift &shift, const CanvasFont &base, RenderPass pass)
{
    const QChar next = asciiUpper(text[3]);
    switch (asciiUpper(text[2]).unicode()) {
    case u'B':
        if (next == u'>')
            font.bold = false;
        break;
    case u'I':
        font.italic = false;
        break;
    case u'U':
        font.underline = false;
        break;
    case u'S':
        if (next == u'U')
            shift = {};
        else if (next != u'H')
            font.strikeOut = false;
        break;
    case u'F':
        font.face = base.face;
        font.pixelHeight = base.pixelHeight;
        if (pass == RenderPass::Drawing)
            font.color = base.color;
        break;
    default:
        break;
    }
}

bool applyOpeningTag(QStringView text, CanvasFont &font, ScriptShift &shift)
{
    const QChar next = text[2];
    switch (asciiUpper(text[1]).unicode()) {
    case u'B':
        if (next == u'>')
            font.bold = true;
        return asciiUpper(next) == u'R';
    case u'I':
        if (next == u'>')
            font.italic = true;
        break;
    case u'U':
        if (next == u'>')
            font.underline = true;
        break;
    case u'S':
        if (next == u'>')
            font.strikeOut = true;
        else if (text.startsWith(u"<SUB>", Qt::CaseInsensitive))
            shift.sub = true;
        else if (text.startsWith(u"<SUP>", Qt::CaseInsensitive))
            shift.sup = true;
        break;
    case u'F':
        applyFontAttributes(text, font);
        break;
    default:
        break;
    }
    return false;
}

} // namespace

Rgb hexColor(QStringView value)
{
    return { hexPair(value, 1), hexPair(value, 3), hexPair(value, 5) };
}

bool applyTag(
    QStringView text, CanvasFont &font, ScriptShift &shift, const CanvasFont &base, RenderPass pass)
{
    if (text[1] == u'/' && text.size() > 3) {
        applyClosingTag(text, font, shift, base, pass);
        return false;
    }
    return applyOpeningTag(text, font, shift);
}

} // namespace quiltmap::widgets
