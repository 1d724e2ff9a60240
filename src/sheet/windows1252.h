#pragma once

#include <QByteArray>
#include <QStringView>

namespace quiltmap::sheet {

// Text in Windows-1252. A character the code page lacks becomes the letters of its canonical
// decomposition without the combining marks when those exist in the code page ("ā" gives
// "a"), otherwise "?".
QByteArray toWindows1252(QStringView text);

} // namespace quiltmap::sheet
