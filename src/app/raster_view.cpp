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
    // A view over just the raster rows the paint needs; QImage does not take or copy the
    // pixels, and drawing converts only what the view covers.
    const QRect rows
        = event->rect().intersected(QRect(0, 0, m_raster->width(), m_raster->height()));
    if (rows.isEmpty())
        return;
    const QImage image(m_raster->row(rows.top()), m_raster->width(), rows.height(),
        static_cast<qsizetype>(m_raster->bytesPerRow()), QImage::Format_RGB888);
    QPainter painter(this);
    painter.setClipRect(event->rect());
    painter.drawImage(QPoint(0, rows.top()), image);
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
