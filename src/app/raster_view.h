#pragma once

#include <QWidget>

namespace quiltmap::sheet {
class Raster;
}

namespace quiltmap::app {

// The preview image: shows a raster at its natural size from the widget's top-left corner,
// cut off at the widget's edge. The widget's size is set by its owner, independent of the
// raster's. It shows the raster in place, without copying its pixels.
class RasterView : public QWidget
{
    Q_OBJECT

public:
    explicit RasterView(QWidget *parent = nullptr);

    // The raster must outlive the view or be replaced first; nullptr shows nothing.
    void setRaster(const sheet::Raster *raster);
    const sheet::Raster *raster() const { return m_raster; }

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    const sheet::Raster *m_raster = nullptr;
    bool m_pressed = false;
};

} // namespace quiltmap::app
