#include "app/raster_view.h"

#include "sheet/raster.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace quiltmap::app {
namespace {

// The squares behind a transparent sheet, in widget pixels, and their two light shades.
constexpr int checkerSquare = 8;
const QColor checkerLight(255, 255, 255);
const QColor checkerDark(224, 224, 224);
const QColor gridColour(0, 120, 215, 170);
const QColor outlineColour(255, 0, 128);

// A light checkerboard fixed to the widget, as image editors show transparency.
void drawCheckerboard(QPainter &painter, const QRect &area)
{
    painter.fillRect(area, checkerLight);
    const int left = area.left() / checkerSquare;
    const int top = area.top() / checkerSquare;
    for (int row = top; row * checkerSquare <= area.bottom(); ++row)
        for (int column = left + (left + row + 1) % 2; column * checkerSquare <= area.right();
             column += 2)
            painter.fillRect(
                QRect(column * checkerSquare, row * checkerSquare, checkerSquare, checkerSquare)
                    .intersected(area),
                checkerDark);
}

// The pixels that `area` scaled by `scale` touches.
QRect scaledOutward(const QRect &area, double scale)
{
    const QPointF topLeft = QPointF(area.topLeft()) * scale;
    const QPointF end = QPointF(area.bottomRight() + QPoint(1, 1)) * scale;
    return QRect(QPoint(int(std::floor(topLeft.x())), int(std::floor(topLeft.y()))),
        QPoint(int(std::ceil(end.x())) - 1, int(std::ceil(end.y())) - 1));
}

} // namespace

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

void RasterView::setContentSize(QSize size)
{
    m_contentSize = size;
    resize(QSize(int(std::min<qint64>(qint64(size.width()) * m_zoom / 100, QWIDGETSIZE_MAX)),
        int(std::min<qint64>(qint64(size.height()) * m_zoom / 100, QWIDGETSIZE_MAX))));
}

void RasterView::setZoom(int percent)
{
    m_zoom = percent;
    setContentSize(m_contentSize);
    update();
}

QRect RasterView::widgetRect(const QRect &sheetArea) const
{
    return scaledOutward(sheetArea, m_zoom / 100.0);
}

void RasterView::updateSheetArea(const QRect &sheetArea)
{
    update(widgetRect(sheetArea));
}

QRect RasterView::cellArea(int index) const
{
    const sheet::CellPlace place = sheet::cellPlace(m_geometry, m_layout, index);
    return QRect(int(place.x), int(place.y), m_geometry.cellWidth, m_geometry.cellHeight);
}

void RasterView::setCells(const sheet::SheetGeometry &geometry, const sheet::SheetLayout &layout)
{
    m_geometry = geometry;
    m_layout = layout;
    if (m_gridShown || m_outlined >= 0)
        update();
}

void RasterView::setGridShown(bool shown)
{
    m_gridShown = shown;
    update();
}

void RasterView::setOutlinedCell(int index)
{
    if (index == m_outlined)
        return;
    if (m_outlined >= 0)
        update(widgetRect(cellArea(m_outlined)).adjusted(-2, -2, 2, 2));
    m_outlined = index;
    if (index >= 0)
        update(widgetRect(cellArea(index)).adjusted(-2, -2, 2, 2));
}

void RasterView::paintEvent(QPaintEvent *event)
{
    if (m_raster == nullptr || m_raster->isEmpty())
        return;
    // The raster pixels the paint needs: a view over just them, which QImage neither takes
    // nor copies, so drawing converts only what the paint covers.
    const QRect area = scaledOutward(event->rect(), 100.0 / m_zoom)
                           .intersected(QRect(0, 0, m_raster->width(), m_raster->height()));
    if (area.isEmpty())
        return;
    const QImage image(m_raster->row(area.top()) + std::size_t(area.left()) * m_raster->channels(),
        area.width(), area.height(), static_cast<qsizetype>(m_raster->bytesPerRow()),
        m_raster->hasAlpha() ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    QPainter painter(this);
    painter.setClipRect(event->rect());
    const QRect target = widgetRect(area);
    if (m_raster->hasAlpha())
        drawCheckerboard(painter, target.intersected(event->rect()));
    // Nearest neighbour above 100 %: each pixel a sharp square; smoothed below, where pixels
    // merge.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, m_zoom < 100);
    if (m_zoom == 100)
        painter.drawImage(area.topLeft(), image);
    else
        painter.drawImage(
            QRectF(toWidget(area.topLeft()), QSizeF(area.size()) * m_zoom / 100.0), image);
    if (m_gridShown)
        drawGrid(painter, area);
    if (m_outlined >= 0) {
        painter.setPen(QPen(outlineColour, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(widgetRect(cellArea(m_outlined))).adjusted(0, 0, -1, -1));
    }
}

// The borders of the cells within `sheetArea`, one device pixel wide: each cell's left and
// right edge, and its top and bottom; without spacing they meet.
void RasterView::drawGrid(QPainter &painter, const QRect &sheetArea) const
{
    const sheet::SheetGeometry &g = m_geometry;
    if (g.columns < 1 || g.cellWidth < 1 || g.cellHeight < 1 || g.fileCount < 1)
        return;
    QPen pen(gridColour);
    pen.setCosmetic(true);
    pen.setWidth(0);
    painter.setPen(pen);
    const qint64 margin = m_layout.margin;
    const qint64 pitchX = qint64(g.cellWidth) + m_layout.spacing;
    const qint64 pitchY = qint64(g.cellHeight) + m_layout.spacing;
    const auto visible = [&](qint64 from, qint64 to, qint64 pitch, qint64 count) {
        return std::pair(std::clamp<qint64>((from - margin) / pitch - 1, 0, count - 1),
            std::clamp<qint64>((to - margin) / pitch + 1, 0, count - 1));
    };
    const auto [firstColumn, lastColumn]
        = visible(sheetArea.left(), sheetArea.right(), pitchX, g.columns);
    const auto [firstRow, lastRow] = visible(sheetArea.top(), sheetArea.bottom(), pitchY,
        (qint64(g.fileCount) + g.columns - 1) / g.columns);
    const double scale = m_zoom / 100.0;
    const double top = (margin + firstRow * pitchY) * scale;
    const double bottom = (margin + lastRow * pitchY + g.cellHeight) * scale;
    const double left = (margin + firstColumn * pitchX) * scale;
    const double right = (margin + lastColumn * pitchX + g.cellWidth) * scale;
    for (qint64 column = firstColumn; column <= lastColumn; ++column)
        for (const qint64 x :
            { margin + column * pitchX, margin + column * pitchX + g.cellWidth }) {
            const double at = x * scale - 0.5;
            painter.drawLine(QPointF(at, top), QPointF(at, bottom));
        }
    for (qint64 row = firstRow; row <= lastRow; ++row)
        for (const qint64 y : { margin + row * pitchY, margin + row * pitchY + g.cellHeight }) {
            const double at = y * scale - 0.5;
            painter.drawLine(QPointF(left, at), QPointF(right, at));
        }
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
    if (click) {
        Q_EMIT clicked();
        Q_EMIT clickedAt(toSheet(event->position()));
    }
}

} // namespace quiltmap::app
