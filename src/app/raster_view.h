#pragma once

#include "sheet/geometry.h"
#include "sheet/sheet_layout.h"

#include <QWidget>

namespace quiltmap::sheet {
class Raster;
}

namespace quiltmap::app {

// The preview image: shows a raster from the widget's top-left corner at a zoom, cut off at the
// widget's edge. The widget's size is the content size at the zoom; its owner sets the content
// size independent of the raster's. It shows the raster in place, without copying its pixels,
// and draws only the part a paint needs, so that any zoom of any sheet is quick.
class RasterView : public QWidget
{
    Q_OBJECT

public:
    explicit RasterView(QWidget *parent = nullptr);

    // The raster must outlive the view or be replaced first; nullptr shows nothing.
    void setRaster(const sheet::Raster *raster);
    const sheet::Raster *raster() const { return m_raster; }

    // The size at 100 %; the widget takes it at the zoom.
    void setContentSize(QSize size);
    // In percent. Above 100 % each pixel is a sharp square.
    void setZoom(int percent);
    int zoom() const { return m_zoom; }
    // The widget point of a sheet point and back.
    QPointF toWidget(QPointF sheetPoint) const { return sheetPoint * m_zoom / 100.0; }
    QPointF toSheet(QPointF widgetPoint) const { return widgetPoint * 100.0 / m_zoom; }
    // Repaints the part showing `sheetArea`.
    void updateSheetArea(const QRect &sheetArea);

    // The cells of the sheet shown, for the grid and the outline.
    void setCells(const sheet::SheetGeometry &geometry, const sheet::SheetLayout &layout);
    // Lines on the cell borders over the sheet.
    void setGridShown(bool shown);
    // Outlines the cell `index`; -1 for none.
    void setOutlinedCell(int index);

Q_SIGNALS:
    void clicked();
    // A left click at a sheet point.
    void clickedAt(QPointF sheetPoint);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QRect widgetRect(const QRect &sheetArea) const;
    QRect cellArea(int index) const;
    void drawGrid(QPainter &painter, const QRect &sheetArea) const;

    const sheet::Raster *m_raster = nullptr;
    bool m_pressed = false;
    QSize m_contentSize;
    int m_zoom = 100;
    sheet::SheetGeometry m_geometry;
    sheet::SheetLayout m_layout;
    bool m_gridShown = false;
    int m_outlined = -1;
};

} // namespace quiltmap::app
