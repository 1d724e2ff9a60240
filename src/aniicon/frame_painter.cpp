#include "aniicon/frame_painter.h"

#include "aniicon/animated_cursor.h"

#include <QImage>
#include <QPainter>

namespace quiltmap::aniicon {

namespace {

int halfRoundedDown(int value)
{
    return value >= 0 ? value / 2 : -((1 - value) / 2);
}

} // namespace

void drawCurrentFrame(QPainter &painter, QPoint topLeft, const AnimatedCursor &cursor)
{
    const ArgbImage &frame = cursor.currentImage();
    if (frame.isNull())
        return;
    // The image only borrows the frame's pixels for this one drawing.
    const QImage image(reinterpret_cast<const uchar *>(frame.pixels.data()), frame.width,
        frame.height, frame.width * 4, QImage::Format_ARGB32);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(
        QRect(topLeft, QSize(AnimatedCursor::IconSize, AnimatedCursor::IconSize)), image);
    painter.restore();
}

QPoint iconOrigin(QSize controlSize, bool center)
{
    if (!center)
        return {};
    return { halfRoundedDown(controlSize.width() - AnimatedCursor::IconSize),
        halfRoundedDown(controlSize.height() - AnimatedCursor::IconSize) };
}

} // namespace quiltmap::aniicon
