#include "aniicon/frame_painter.h"

#include "aniicon/ani_icon_file.h"

#include <QImage>
#include <QPainter>

namespace quiltmap::aniicon {

namespace {

int halfRoundedDown(int value)
{
    return value >= 0 ? value / 2 : -((1 - value) / 2);
}

} // namespace

void drawCurrentFrame(QPainter &painter, QPoint topLeft, const TAniIconFile &file)
{
    const ArgbImage &frame = file.currentFrame();
    if (frame.isNull())
        return;
    // The image only borrows the frame's pixels for this one drawing.
    const QImage image(reinterpret_cast<const uchar *>(frame.pixels.data()), frame.width,
        frame.height, frame.width * 4, QImage::Format_ARGB32);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(topLeft, QSize(TAniIconFile::IconSize, TAniIconFile::IconSize)), image);
    painter.restore();
}

QPoint iconOrigin(QSize controlSize, bool center)
{
    if (!center)
        return {};
    return { halfRoundedDown(controlSize.width() - TAniIconFile::IconSize),
        halfRoundedDown(controlSize.height() - TAniIconFile::IconSize) };
}

} // namespace quiltmap::aniicon
