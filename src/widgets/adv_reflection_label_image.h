#pragma once

#include <QImage>
#include <QString>

namespace quiltmap::widgets {

// Opacity 0..255 of reflection row `row`: a straight fade from `start` at row 0 to `end` at row
// `size`, rounded half to even; rows from `size` on (every row when `size` is 0 or less) are 0.
int reflectionRowOpacity(int row, int size, int start, int end);

// Left edge of the text box: centred or right-aligned when the markup, without spaces and in
// lower case, asks for it with align="center" or align="right"; else 0.
int reflectionXStart(const QString &markup, int labelWidth, int textWidth);

// The reflection of a drawn text box: the box flipped upside down, each row with its opacity.
QImage reflectionImage(const QImage &textBox, int size, int opacityStart, int opacityEnd);

} // namespace quiltmap::widgets
