#include "widgets/html_label.h"

#include "widgets/html_render.h"
#include "widgets/text_canvas_qpainter.h"

#include <QPainter>

namespace quiltmap::widgets {

THTMLabel::THTMLabel(QWidget *parent)
    : QWidget(parent)
{ }

void THTMLabel::setHTMLText(const QStringList &lines)
{
    m_htmlText = lines;
    update();
}

void THTMLabel::clearHTMLText()
{
    m_htmlText.clear();
    update();
}

void THTMLabel::addHTMLLine(const QString &line)
{
    m_htmlText.append(line);
    update();
}

void THTMLabel::setTransparent(bool transparent)
{
    m_transparent = transparent;
    update();
}

void THTMLabel::setEllipsis(bool ellipsis)
{
    m_ellipsis = ellipsis;
    update();
}

void THTMLabel::setLineSpacing(int pixels)
{
    m_lineSpacing = pixels;
    update();
}

QString THTMLabel::Version() const
{
    return QStringLiteral("1.9.0.1");
}

QString THTMLabel::GetDisplayText() const
{
    return m_htmlText.join(u' ');
}

void THTMLabel::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;
    QPainter painter(this);
    if (!m_transparent)
        painter.fillRect(rect(), palette().window());
    QPainterTextCanvas canvas(painter, font(), palette().color(QPalette::WindowText));
    HTMLRender(canvas, GetDisplayText(), { 0, 0, width(), height() }, !m_ellipsis, m_lineSpacing);
}

} // namespace quiltmap::widgets
