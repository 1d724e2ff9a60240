#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace quiltmap::widgets {

// Where the browse dialog goes: its top-left corner at `belowField` (screen point just below
// the field's left edge), moved left by its width when it would cross the work area's right
// edge, and lifted to 64 pixels above the work area's bottom when it would reach that bottom.
QPoint browseDialogPosition(QPoint belowField, QSize dialog, const QRect &workArea);

// Where the calculator panel goes: below the field when it fits above the screen's bottom edge
// or would not fit above the field either, otherwise above the field. `clientTopLeft` is the
// screen position of the field's client area.
QPoint calculatorPanelPosition(
    QPoint clientTopLeft, int fieldHeight, QSize panel, int screenBottom);

// Where a field's caption label goes: 4 pixels above the field, at its left edge or centred
// over it (the halving truncates toward zero).
QPoint captionLabelPosition(const QRect &field, QSize label, bool centred);

} // namespace quiltmap::widgets
