#include "widgets/text_canvas.h"

namespace quiltmap::widgets {

MnemonicText resolveMnemonics(QStringView text)
{
    MnemonicText result;
    result.shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&') {
            result.shown.append(text[i]);
            continue;
        }
        // A lone ampersand at the end marks nothing and is dropped.
        if (++i == text.size())
            break;
        if (text[i] != u'&')
            result.underlined.append(result.shown.size());
        result.shown.append(text[i]);
    }
    return result;
}

OneLineLayout layoutOneLine(
    QStringView text, bool prefix, int tabStop, const std::function<int(QStringView)> &advance)
{
    OneLineLayout layout;
    for (qsizetype begin = 0; begin <= text.size();) {
        qsizetype end = text.indexOf(u'\t', begin);
        if (end < 0)
            end = text.size();
        const QStringView piece = text.sliced(begin, end - begin);
        TextPiece laid { prefix ? resolveMnemonics(piece) : MnemonicText { piece.toString(), {} },
            layout.width };
        layout.width += advance(laid.text.shown);
        layout.pieces.append(std::move(laid));
        if (end < text.size() && tabStop > 0)
            layout.width = (layout.width / tabStop + 1) * tabStop;
        begin = end + 1;
    }
    return layout;
}

} // namespace quiltmap::widgets
