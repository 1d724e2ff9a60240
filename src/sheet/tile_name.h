#pragma once

#include <QString>

namespace quiltmap::sheet {

// The name-list entry of a listed file: its extension (from the last "." that is not the
// name's first character) is removed wherever that exact text occurs, case-sensitively, and
// any folder part is dropped. "Icon.PNG" gives "Icon", "x.png.png" gives "x", "a.png.PNG"
// gives "a.png", ".png" stays ".png".
QString tileName(const QString &fileName);

} // namespace quiltmap::sheet
