#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace quiltmap::sheet {

// A tile's name and the top-left corner of its cell on its image.
struct AtlasTile
{
    QString name;
    std::int64_t x = 0;
    std::int64_t y = 0;
};

// One sheet image as engines load it: its file, its size (padding included) and its grid.
struct AtlasPage
{
    // The tileset's name and the image file's name, without any folder.
    QString name;
    QString image;
    std::int64_t width = 0;
    std::int64_t height = 0;
    int cellWidth = 0;
    int cellHeight = 0;
    int spacing = 0;
    int margin = 0;
    // Tiles in cell order.
    QList<AtlasTile> tiles;
};

// The keys of frames named `names`: each name as it is; the second tile of a name gets "~2"
// after it, the third "~3" and so on, skipping any key another tile already has.
QStringList uniqueFrameKeys(const QStringList &names);

// The JSON Hash form of the TexturePacker format that Phaser and PixiJS load: one frame per
// tile, keyed as uniqueFrameKeys() says, its cell's whole rectangle untrimmed; `meta` names the
// image, its size and this program with `version`.
QByteArray phaserAtlas(const AtlasPage &page, const QString &version);

// A Tiled tileset (.tsx) over the image, sliced as the cells lie, each tile's name in its
// property "name". Tiled numbers the cells row by row over the columns that fit the image's
// width, so tiles are numbered that way too, also when the image is padded wider.
QByteArray tiledTileset(const AtlasPage &page);

} // namespace quiltmap::sheet
