#pragma once

#include "sheet/tile.h"

#include <QSize>
#include <QString>

namespace quiltmap::sheet {

// Turns an image file into a tile. Composition reads every tile through one; the front end may
// offer readers of more formats than PNG.
class TileReader
{
public:
    virtual ~TileReader() = default;

    // Reads the whole file. Throws quiltmap::Error with the user-visible message. Not const: a
    // reader may keep what it read ahead.
    virtual Tile read(const QString &path) = 0;
    // Reads as little as it needs to tell the file's width and height. Throws quiltmap::Error.
    virtual QSize readSize(const QString &path) const = 0;
};

// A tile with the path it was read from, kept so that it need not be decoded again.
struct ReadTile
{
    QString path;
    Tile tile;
};

// Reads every file as PNG, whatever its name, as the window does.
TileReader &pngTileReader();

} // namespace quiltmap::sheet
