#pragma once

#include <QImage>

namespace quiltmap::widgets {

// The 12 x 11 folder picture of the browse button; its white pixels are transparent.
QImage folderGlyph();

} // namespace quiltmap::widgets
