#include "widgets/adv_reflection_label.h"

#include "common/error_sink.h"
#include "widgets/adv_reflection_label_image.h"
#include "widgets/html_render.h"
#include "widgets/text_canvas_qpainter.h"

#include <QEvent>
#include <QPainter>

namespace quiltmap::widgets {

TAdvReflectionLabel::TAdvReflectionLabel(QWidget *parent)
    : QWidget(parent)
{
    QFont start = font();
    start.setPointSize(12);
    start.setBold(true);
    setFont(start);
    resize(185, 40);
    // Setting the font above asked for a rebuild; a new label has none pending.
    m_updateReflection = false;
}

void TAdvReflectionLabel::setHTMLText(const QStringList &lines)
{
    QString line = lines.join(QString());
    line.remove(u'\r');
    line.remove(u'\n');
    m_htmlText = QStringList { line };
    UpdateChange();
}

void TAdvReflectionLabel::setURLColor(const QColor &color)
{
    if (color == m_urlColor)
        return;
    m_urlColor = color;
    update();
}

void TAdvReflectionLabel::setReflectionSize(int rows)
{
    if (rows == m_reflectionSize)
        return;
    m_reflectionSize = rows;
    UpdateChange();
}

void TAdvReflectionLabel::setReflectionAxis(int pixels)
{
    if (pixels == m_reflectionAxis)
        return;
    m_reflectionAxis = pixels;
    update();
}

void TAdvReflectionLabel::setReflectionOpacityStart(int opacity)
{
    setOpacity(m_opacityStart, opacity);
}

void TAdvReflectionLabel::setReflectionOpacityEnd(int opacity)
{
    setOpacity(m_opacityEnd, opacity);
}

void TAdvReflectionLabel::setOpacity(int &field, int opacity)
{
    if (opacity < 0 || opacity > 255 || opacity == field)
        return;
    field = opacity;
    BuildReflection();
    update();
}

QString TAdvReflectionLabel::Version() const
{
    return QStringLiteral("1.5.1.0");
}

void TAdvReflectionLabel::UpdateChange()
{
    m_updateReflection = true;
    update();
}

void TAdvReflectionLabel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    UpdateChange();
}

void TAdvReflectionLabel::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        UpdateChange();
}

// The first paint after a change draws the text, which gives the text box's size, builds the
// reflection from it and paints once more with the new reflection under the text.
void TAdvReflectionLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintPass(painter);
    if (!m_updateReflection || m_ySize <= 0)
        return;
    reportingErrors(this, [&] {
        BuildReflection();
        paintPass(painter);
    });
}

void TAdvReflectionLabel::paintPass(QPainter &painter)
{
    if (!m_reflectionPic.isNull() && !m_updateReflection)
        painter.drawImage(QPoint(m_xStart, m_ySize + m_reflectionAxis), m_reflectionPic);
    const RenderSize size = drawText(painter);
    m_xSize = size.width;
    m_ySize = size.height;
}

RenderSize TAdvReflectionLabel::drawText(QPainter &painter) const
{
    QPainterTextCanvas canvas(painter, font(), palette().color(QPalette::WindowText));
    return HTMLRender(canvas, text(), { 0, 0, width(), height() }, true, 0);
}

// Qt cannot read back what a widget put on screen, so the text box is drawn again off screen
// over the parent's background brush: the same pixels as the label shows there.
void TAdvReflectionLabel::BuildReflection()
{
    if (m_ySize <= 0)
        return;
    m_updateReflection = false;
    const int w = m_xSize;
    const int h = m_ySize;
    m_xStart = reflectionXStart(text(), width(), w);
    if (w <= 0) {
        m_reflectionPic = QImage();
        return;
    }
    QImage box(w, h, QImage::Format_RGB32);
    if (box.isNull())
        throw Error(QStringLiteral("Could not allocate memory for reflection Label"));
    {
        QPainter boxPainter(&box);
        const QWidget *background = parentWidget() ? parentWidget() : this;
        boxPainter.translate(-m_xStart, 0);
        boxPainter.setBrushOrigin(-pos());
        boxPainter.fillRect(
            QRect(m_xStart, 0, w, h), background->palette().brush(background->backgroundRole()));
        drawText(boxPainter);
    }
    QImage reflection = reflectionImage(box, m_reflectionSize, m_opacityStart, m_opacityEnd);
    if (reflection.isNull())
        throw Error(QStringLiteral("Could not allocate memory for reflection Label"));
    m_reflectionPic = std::move(reflection);
}

} // namespace quiltmap::widgets
