#pragma once

#include <QFont>
#include <QString>
#include <QWidget>

namespace quiltmap::app {

// Tahoma 8 points at 96 dots per inch: a character height of 11 pixels.
inline QFont tahomaFont(int pixelSize = 11)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelSize);
    return font;
}

// What every window of the application shares: its name, its caption, the Tahoma font its
// controls inherit and the button-face background.
inline void applyWindowLook(QWidget &window, const QString &name, const QString &caption)
{
    window.setObjectName(name);
    window.setWindowTitle(caption);
    window.setFont(tahomaFont());
    window.setBackgroundRole(QPalette::Button);
}

} // namespace quiltmap::app
