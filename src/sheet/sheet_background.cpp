#include "sheet/sheet_background.h"

#include <algorithm>

namespace quiltmap::sheet {

std::optional<SheetBackground> parseBackground(QStringView text)
{
    SheetBackground result;
    if (text == u"white")
        return result;
    if (text == u"transparent") {
        result.transparent = true;
        return result;
    }
    const auto isHexDigit
        = [](QChar c) { return c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f'); };
    if (text.size() != 7 || text[0] != u'#'
        || !std::all_of(text.begin() + 1, text.end(), isHexDigit))
        return std::nullopt;
    const uint rgb = text.mid(1).toUInt(nullptr, 16);
    result.rgb = { std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb) };
    return result;
}

QString backgroundText(const SheetBackground &background)
{
    if (background.transparent)
        return QStringLiteral("transparent");
    const auto [red, green, blue] = background.rgb;
    return QStringLiteral("#%1")
        .arg((red << 16) | (green << 8) | blue, 6, 16, QChar(u'0'))
        .toUpper();
}

} // namespace quiltmap::sheet
