#include "widgets/placement.h"

namespace quiltmap::widgets {

namespace {
constexpr int kDialogLiftAboveWorkAreaBottom = 64;
constexpr int kLabelMargin = 4;
} // namespace

QPoint browseDialogPosition(QPoint belowField, QSize dialog, const QRect &workArea)
{
    QPoint corner = belowField;
    const int workAreaRight = workArea.x() + workArea.width();
    const int workAreaBottom = workArea.y() + workArea.height();
    if (corner.x() + dialog.width() > workAreaRight)
        corner.rx() -= dialog.width();
    if (corner.y() + dialog.height() >= workAreaBottom)
        corner.setY(workAreaBottom - dialog.height() - kDialogLiftAboveWorkAreaBottom);
    return corner;
}

QPoint calculatorPanelPosition(QPoint clientTopLeft, int fieldHeight, QSize panel, int screenBottom)
{
    const int t = clientTopLeft.y();
    const bool below = t + panel.height() < screenBottom || t - panel.height() <= 0;
    return { clientTopLeft.x(), below ? t + fieldHeight : t - panel.height() };
}

QPoint captionLabelPosition(const QRect &field, QSize label, bool centred)
{
    const int top = field.y() - label.height() - kLabelMargin;
    // C++ division truncates toward zero, in both directions.
    const int left = centred ? field.x() + (field.width() - label.width()) / 2 : field.x();
    return { left, top };
}

} // namespace quiltmap::widgets
