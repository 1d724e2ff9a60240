#include "app/raster_view.h"

#include "sheet/raster.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace quiltmap::app {

RasterView::RasterView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void RasterView::setRaster(const sheet::Raster *raster)
{
    m_raster = raster;
    update();
}

void RasterView::paintEvent(QPaintEvent *event)
{
    if (m_raster == nullptr || m_raster->isEmpty())
        return;
    // A view over the raster's rows; QImage does not take or copy the pixels.
    const QImage image(m_raster->data(), m_raster->width(), m_raster->height(),
        static_cast<qsizetype>(m_raster->bytesPerRow()), QImage::Format_RGB888);
    QPainter painter(this);
    painter.setClipRect(event->rect());
    painter.drawImage(QPoint(0, 0), image);
}

void RasterView::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void RasterView::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click
        = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->pos());
    m_pressed = false;
    if (click)
        Q_EMIT clicked();
}

} // namespace quiltmap::app
