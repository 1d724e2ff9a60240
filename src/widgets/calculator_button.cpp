#include "widgets/calculator_button.h"

#include <QPainter>
#include <qdrawutil.h>

namespace quiltmap::widgets {

TCalculatorButton::TCalculatorButton(const QString &label, const QColor &face, QWidget *parent)
    : QAbstractButton(parent)
    , m_face(face)
{
    // Every caption carries a trailing blank, as drawn.
    setText(label + u' ');
    setFocusPolicy(Qt::NoFocus);
}

void TCalculatorButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QBrush face(m_face);
    qDrawWinButton(&painter, rect(), palette(), isDown(), &face);
    const QPoint shift = isDown() ? QPoint(6, 2) : QPoint(4, 0);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect().translated(shift), Qt::AlignCenter, text());
}

} // namespace quiltmap::widgets
