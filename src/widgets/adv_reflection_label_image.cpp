#include "widgets/adv_reflection_label_image.h"

#include <algorithm>
#include <cmath>

namespace quiltmap::widgets {

int reflectionRowOpacity(int row, int size, int start, int end)
{
    if (row >= size)
        return 0;
    // nearbyint rounds in the default mode: a half goes to the even neighbour.
    const double opacity
        = std::nearbyint(double(size - row) / size * start + double(row) / size * end);
    return int(std::clamp(opacity, 0.0, 255.0));
}

int reflectionXStart(const QString &markup, int labelWidth, int textWidth)
{
    QString compact = markup;
    compact.remove(u' ');
    compact = compact.toLower();
    if (compact.contains(u"align=\"center\""))
        return (labelWidth - textWidth) / 2;
    if (compact.contains(u"align=\"right\""))
        return labelWidth - textWidth;
    return 0;
}

QImage reflectionImage(const QImage &textBox, int size, int opacityStart, int opacityEnd)
{
    const QImage flipped = textBox.convertToFormat(QImage::Format_RGB32).mirrored(false, true);
    QImage reflection(flipped.size(), QImage::Format_ARGB32);
    if (reflection.isNull())
        return reflection;
    for (int y = 0; y < flipped.height(); ++y) {
        const int alpha = reflectionRowOpacity(y, size, opacityStart, opacityEnd);
        const auto *from = reinterpret_cast<const QRgb *>(flipped.constScanLine(y));
        auto *to = reinterpret_cast<QRgb *>(reflection.scanLine(y));
        for (int x = 0; x < flipped.width(); ++x)
            to[x] = qRgba(qRed(from[x]), qGreen(from[x]), qBlue(from[x]), alpha);
    }
    return reflection;
}

} // namespace quiltmap::widgets
