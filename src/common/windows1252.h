#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace quiltmap {

// The Windows-1252 code page. The five bytes it leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// stand for the C1 control character of the same number, so every byte decodes and encodes
// back unchanged.
QString fromWindows1252(QByteArrayView bytes);

// The byte of one character, or nothing when the code page lacks it.
std::optional<char> windows1252Byte(char32_t character);

// Text in Windows-1252. A character the code page lacks becomes the letters of its canonical
// decomposition without the combining marks when those exist in the code page ("ā" gives
// "a"), otherwise "?".
QByteArray toWindows1252(QStringView text);
// The same appended to `out`.
void appendWindows1252(QByteArray &out, QStringView text);

} // namespace quiltmap
