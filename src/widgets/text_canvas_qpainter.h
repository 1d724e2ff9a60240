#pragma once

#include "widgets/text_canvas.h"

#include <QFont>
#include <QFontMetrics>

class QColor;
class QPainter;

namespace quiltmap::widgets {

// The markup font of a widget font in a given colour. The character height is the font's pixel
// size, or its point size at 96 dots per inch.
CanvasFont toCanvasFont(const QFont &font, const QColor &color);

// The text canvas over a QPainter. Its font starts as `font`; the painter's font and pen are
// left as they were.
class QPainterTextCanvas : public TextCanvas
{
public:
    QPainterTextCanvas(QPainter &painter, const QFont &font, const QColor &color);

    CanvasFont font() const override { return m_font; }
    void setFont(const CanvasFont &font) override;
    int cellHeight() const override;
    int textWidth(QStringView text, TextFlags flags) const override;
    void drawText(QStringView text, const TextRect &rect, TextFlags flags) override;

private:
    OneLineLayout layout(QStringView text, bool prefix) const;

    QPainter &m_painter;
    // Carries the widget font's other settings (hinting, style strategy) into every tag's font.
    const QFont m_template;
    CanvasFont m_font;
    QFont m_qfont;
    QFontMetrics m_metrics;
};

} // namespace quiltmap::widgets
