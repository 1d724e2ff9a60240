#include "widgets/text_canvas_qpainter.h"

#include <QColor>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace quiltmap::widgets {
namespace {

constexpr double kDotsPerInch = 96.0;
constexpr double kPointsPerInch = 72.0;

QFont toQFont(QFont font, const CanvasFont &canvasFont)
{
    font.setFamily(canvasFont.face);
    font.setPixelSize(std::max(1, canvasFont.pixelHeight));
    font.setBold(canvasFont.bold);
    font.setItalic(canvasFont.italic);
    font.setUnderline(canvasFont.underline);
    font.setStrikeOut(canvasFont.strikeOut);
    return font;
}

} // namespace

CanvasFont toCanvasFont(const QFont &font, const QColor &color)
{
    CanvasFont result;
    result.face = font.family();
    result.pixelHeight = font.pixelSize() > 0
        ? font.pixelSize()
        : int(std::lround(font.pointSizeF() * kDotsPerInch / kPointsPerInch));
    result.bold = font.bold();
    result.italic = font.italic();
    result.underline = font.underline();
    result.strikeOut = font.strikeOut();
    result.color = { color.red(), color.green(), color.blue() };
    return result;
}

QPainterTextCanvas::QPainterTextCanvas(QPainter &painter, const QFont &font, const QColor &color)
    : m_painter(painter)
    , m_template(font)
    , m_font(toCanvasFont(font, color))
    , m_qfont(toQFont(font, m_font))
    , m_metrics(m_qfont)
{ }

void QPainterTextCanvas::setFont(const CanvasFont &font)
{
    if (font == m_font)
        return;
    m_font = font;
    m_qfont = toQFont(m_template, font);
    m_metrics = QFontMetrics(m_qfont);
}

int QPainterTextCanvas::cellHeight() const
{
    return m_metrics.ascent() + m_metrics.descent();
}

OneLineLayout QPainterTextCanvas::layout(QStringView text, bool prefix) const
{
    return layoutOneLine(text, prefix, 8 * m_metrics.averageCharWidth(),
        [this](QStringView shown) { return m_metrics.horizontalAdvance(shown.toString()); });
}

int QPainterTextCanvas::textWidth(QStringView text, TextFlags flags) const
{
    return layout(text, flags.prefix).width;
}

void QPainterTextCanvas::drawText(QStringView text, const TextRect &rect, TextFlags flags)
{
    if (rect.width() <= 0 || rect.bottom <= rect.top)
        return;
    m_painter.save();
    m_painter.setClipRect(
        QRect(rect.left, rect.top, rect.width(), rect.bottom - rect.top), Qt::IntersectClip);
    m_painter.setFont(m_qfont);
    const QColor color(m_font.color.red, m_font.color.green, m_font.color.blue);
    m_painter.setPen(color);
    const int baseline = rect.bottom - m_metrics.descent();
    OneLineLayout laid = layout(text, flags.prefix);
    if (flags.endEllipsis && laid.width > rect.width()) {
        QString whole;
        for (const TextPiece &piece : std::as_const(laid.pieces))
            whole += piece.text.shown;
        laid = { { TextPiece {
                     { m_metrics.elidedText(whole, Qt::ElideRight, rect.width()), {} }, 0 } },
            rect.width() };
    }
    for (const TextPiece &piece : std::as_const(laid.pieces)) {
        const int x = rect.left + piece.x;
        m_painter.drawText(QPoint(x, baseline), piece.text.shown);
        // Prefix-mode underlines: a stroke under each marked character.
        for (const qsizetype at : piece.text.underlined) {
            const int from = x + m_metrics.horizontalAdvance(piece.text.shown.left(at));
            const int width = m_metrics.horizontalAdvance(piece.text.shown.at(at));
            m_painter.fillRect(QRect(from, baseline + m_metrics.underlinePos(), width,
                                   std::max(1, m_metrics.lineWidth())),
                color);
        }
    }
    m_painter.restore();
}

} // namespace quiltmap::widgets
