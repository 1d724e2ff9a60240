#pragma once

#include <QPoint>
#include <QSize>

class QPainter;

namespace quiltmap::aniicon {

class AnimatedCursor;

// Draws the animation's current frame at 32 x 32 with its top-left corner at the point; nothing
// for an empty slot.
void drawCurrentFrame(QPainter &painter, QPoint topLeft, const AnimatedCursor &cursor);

// Where a control of the given size draws its icon: its corner, or centred with the halves
// rounded down (so a control below 32 pixels shows the icon's middle).
QPoint iconOrigin(QSize controlSize, bool center);

} // namespace quiltmap::aniicon
