#pragma once

#include "sheet/composition.h"
#include "sheet/geometry.h"
#include "sheet/grid_data.h"
#include "sheet/sheet_layout.h"

#include <QList>
#include <QString>

namespace quiltmap::sheet {

// The files written besides the sheet and the name list.
struct DataFormats
{
    bool json = false;
    bool csv = false;
    bool phaser = false;
    bool tiled = false;

    bool any() const { return json || csv || phaser || tiled; }
};

// One image of a composition, the sheet or one of its pages: its grid, its size (padding
// included), its absolute path without extension and its tiles in cell order.
struct SheetImage
{
    SheetGeometry geometry;
    SheetSize size;
    QString stem;
    QList<GridTile> tiles;
};

// Writes the files `formats` asks for, each replaced atomically: the grid data of all images as
// STEM.json and STEM.csv, with the page of each tile when there are several images; and beside
// each image IMAGE.atlas.json (the phaser atlas, naming this program's `version`) and IMAGE.tsx
// (the tiled tileset), each complete for its image. Throws quiltmap::Error.
void writeDataFiles(const DataFormats &formats, const SheetStyle &style, const QString &stem,
    const QList<SheetImage> &images, const QString &version);

} // namespace quiltmap::sheet
