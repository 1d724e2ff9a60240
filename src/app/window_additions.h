#pragma once

#include "sheet/geometry.h"

#include <QPoint>
#include <QString>
#include <QStringList>

class QMimeData;

namespace quiltmap::app {

// The folder that dragged data names: its first local URL when that is a folder, or the folder
// of the file it names. Empty when the data holds no local URL.
QString droppedFolder(const QMimeData &data);

// The tooltip of the preview at `at` on a sheet of `geometry` whose tiles so far have the
// name-list entries `names`: the cell's index, the tile's name, its column and row. Empty where
// no tile's cell is.
QString previewToolTip(const sheet::SheetGeometry &geometry, const QStringList &names, QPoint at);

} // namespace quiltmap::app
