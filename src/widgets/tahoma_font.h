#pragma once

#include <QFont>

namespace quiltmap::widgets {

// The fields' label and calculator font: Tahoma with a character height of 11 pixels.
inline QFont tahomaFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    return font;
}

} // namespace quiltmap::widgets
