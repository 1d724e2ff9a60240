#pragma once

#include <QString>

namespace quiltmap::app {

// The application title: the executable's file name without its folder, cut before its first
// ".", every character after the first in lower case ("CreateQuiltMap" gives "Createquiltmap").
QString applicationTitle(const QString &executablePath);

} // namespace quiltmap::app
