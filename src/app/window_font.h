#pragma once

#include <QFont>

namespace quiltmap::app {

// Tahoma 8 points at 96 dots per inch: a character height of 11 pixels.
inline QFont tahomaFont(int pixelSize = 11)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace quiltmap::app
