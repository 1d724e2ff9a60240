#include "sheet/data_files.h"

#include "sheet/engine_atlas.h"
#include "sheet/output_file.h"
#include "sheet/sheet_background.h"

#include <QFileInfo>
#include <QIODevice>

namespace quiltmap::sheet {
namespace {

using namespace Qt::StringLiterals;

void writeBytes(const QString &path, const QByteArray &bytes)
{
    writeOutputFile(path, [&](QIODevice &out) { return out.write(bytes) == bytes.size(); });
}

AtlasPage atlasPage(const SheetLayout &layout, const SheetImage &image)
{
    const QString name = QFileInfo(image.stem).fileName();
    AtlasPage page { name, name + u".png"_s, image.size.width, image.size.height,
        image.geometry.cellWidth, image.geometry.cellHeight, layout.spacing, layout.margin, {} };
    for (const GridTile &tile : image.tiles)
        page.tiles.append({ tile.name, tile.x, tile.y });
    return page;
}

void writeGridData(const DataFormats &formats, const SheetStyle &style, const QString &stem,
    const QList<SheetImage> &images)
{
    QList<GridTile> tiles;
    for (const SheetImage &image : images)
        tiles += image.tiles;
    const bool paged = images.size() > 1;
    if (formats.json) {
        // A split sheet is described by its first page, a full one.
        const SheetImage &first = images.front();
        const SheetGeometry &geometry = first.geometry;
        writeBytes(stem + u".json"_s,
            gridJson({ first.size.width, first.size.height, geometry.cellWidth, geometry.cellHeight,
                         geometry.columns, geometry.rows, int(tiles.size()), style.layout.spacing,
                         style.layout.margin, backgroundText(style.background),
                         paged ? int(images.size()) : 0 },
                tiles));
    }
    if (formats.csv)
        writeBytes(stem + u".csv"_s, gridCsv(tiles, paged));
}

} // namespace

void writeDataFiles(const DataFormats &formats, const SheetStyle &style, const QString &stem,
    const QList<SheetImage> &images, const QString &version)
{
    writeGridData(formats, style, stem, images);
    for (const SheetImage &image : images) {
        if (formats.phaser)
            writeBytes(image.stem + u".atlas.json"_s,
                phaserAtlas(atlasPage(style.layout, image), version));
        if (formats.tiled)
            writeBytes(image.stem + u".tsx"_s, tiledTileset(atlasPage(style.layout, image)));
    }
}

} // namespace quiltmap::sheet
