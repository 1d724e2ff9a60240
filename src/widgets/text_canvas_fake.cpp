#include "widgets/text_canvas_fake.h"

#include <QTextStream>

namespace quiltmap::widgets {

FakeTextCanvas::FakeTextCanvas(CanvasFont font)
    : m_font(std::move(font))
{ }

void FakeTextCanvas::setFont(const CanvasFont &font)
{
    m_font = font;
}

int FakeTextCanvas::cellHeight() const
{
    return m_font.pixelHeight + 2;
}

int FakeTextCanvas::charWidth() const
{
    return m_font.pixelHeight / 2 + (m_font.bold ? 1 : 0);
}

OneLineLayout FakeTextCanvas::layout(QStringView text, bool prefix) const
{
    const int width = charWidth();
    return layoutOneLine(
        text, prefix, 8 * width, [width](QStringView shown) { return int(shown.size()) * width; });
}

int FakeTextCanvas::textWidth(QStringView text, TextFlags flags) const
{
    return layout(text, flags.prefix).width;
}

void FakeTextCanvas::drawText(QStringView text, const TextRect &rect, TextFlags flags)
{
    const OneLineLayout laid = layout(text, flags.prefix);
    QString shown;
    for (const TextPiece &piece : laid.pieces)
        shown += piece.text.shown;
    m_drawings.append({ shown, rect, m_font, flags.endEllipsis && laid.width > rect.width() });
}

QString FakeTextCanvas::dump() const
{
    QString out;
    QTextStream stream(&out);
    for (const Drawing &d : m_drawings) {
        const CanvasFont &f = d.font;
        stream << d.rect.left << ',' << d.rect.top << ',' << d.rect.right << ',' << d.rect.bottom
               << ' ' << (f.bold ? 'B' : '-') << (f.italic ? 'I' : '-') << (f.underline ? 'U' : '-')
               << (f.strikeOut ? 'S' : '-') << ' ' << f.face << ' '
               << QStringLiteral("#%1%2%3")
                      .arg(f.color.red, 2, 16, QLatin1Char('0'))
                      .arg(f.color.green, 2, 16, QLatin1Char('0'))
                      .arg(f.color.blue, 2, 16, QLatin1Char('0'))
               << ' ' << d.text << (d.elided ? QStringLiteral(" [...]") : QString()) << '\n';
    }
    return out;
}

} // namespace quiltmap::widgets
