#pragma once

#include "common/error.h"
#include "sheet/geometry.h"
#include "sheet/raster.h"
#include "sheet/sheet_background.h"
#include "sheet/sheet_bands.h"
#include "sheet/sheet_layout.h"
#include "sheet/tile_reader.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace quiltmap::sheet {

// How the sheet is laid out and filled beyond the geometry; the defaults give the window's sheet.
struct SheetStyle
{
    SheetLayout layout;
    SheetBackground background;
    // The sheet padded with background to a power of two on each side; the cells stay.
    bool powerOfTwo = false;
};

// One composition of a sheet, driven one tile at a time so that the caller can do other work
// between tiles (the GUI dispatches its events, the CLI draws a progress bar) or abandon it by
// dropping the object. Tiles are read one at a time; only one tile image exists at a time.
//
// The sheet raster is the only one: the preview shows it while tiles are drawn, and after
// finish() it is the export image, holding exactly the pixels the preview showed. A banded
// composition holds only the bands of the sheet its writer still needs instead.
class Composition
{
public:
    // Starts a sheet of the geometry's size (with the style's spacing and margin), every pixel
    // the background, for the listed names of the folder named by `folderText`. Throws
    // quiltmap::Error when the raster cannot be had; then nothing has changed.
    Composition(const SheetGeometry &geometry, QString folderText, QStringList names,
        const SheetStyle &style = {});

    // Drawn in bands of about `bandBytes`, holding about `heldBytes` of rows ahead of the
    // writer (see SheetBands).
    struct Banded
    {
        std::size_t heldBytes = 0;
        std::size_t bandBytes = SheetBands::defaultBandBytes;
        // Shown each stretch of rows, top to bottom, just before it becomes final: its pixels are
        // complete, and the writer has not let go of them yet.
        std::function<void(const RasterBand &rows)> beforeFinal = {};
    };
    // The same sheet drawn into bands(), which tells its writer after every tile which rows are
    // final. There is no raster(), no tileNames() and no finish().
    Composition(const SheetGeometry &geometry, QString folderText, QStringList names,
        const SheetStyle &style, Banded banded);

    struct DrawnTile
    {
        int index = 0;
        // The tile's name-list entry.
        QString name;
        CellPlace cell;
        // The tile's own size; a tile larger than its cell reaches into its neighbours.
        QSize size;
        // The part of the sheet the tile covered, already clipped to the sheet.
        QRect area;

        bool exceedsCell(const SheetGeometry &geometry) const
        {
            return size.width() > geometry.cellWidth || size.height() > geometry.cellHeight;
        }
    };

    // Reads the tiles from now on; PNG only unless set. `reader` must outlive the composition.
    void setTileReader(TileReader &reader) { m_reader = &reader; }

    // The listed file names, one per cell.
    const QStringList &names() const { return m_names; }
    int tileCount() const { return int(m_names.size()); }
    int nextIndex() const { return m_next; }
    bool atEnd() const { return m_next >= tileCount(); }

    // Reads the next tile from its file, draws it at the top-left corner of its cell and
    // returns its entry. Throws quiltmap::Error (the tile reader's messages); the composition
    // then stays at that tile with the tiles before it drawn.
    DrawnTile drawNextTile();
    // Passes over the next tile without reading it: its cell keeps the background, its entry
    // still joins the name list. The size of the returned entry is empty.
    DrawnTile skipNextTile();

    // The sheet as drawn so far.
    const Raster &raster() const;
    // The banded sheet, for its writer.
    SheetBands &bands() const;
    // The name-list entries of the tiles drawn so far. A banded composition keeps none: each
    // drawn tile carries its entry.
    const QStringList &tileNames() const;
    const SheetGeometry &geometry() const { return m_geometry; }

    // Ends a composition that drew every tile and hands over the finished sheet, the export
    // image. Throws std::logic_error before the last tile.
    std::shared_ptr<const Raster> finish();

private:
    void draw(const Tile &tile, int x, int y);
    void publishFinalRows();

    SheetGeometry m_geometry;
    SheetLayout m_layout;
    TileReader *m_reader = &pngTileReader();
    QString m_folderText;
    QStringList m_names;
    QStringList m_tileNames;
    std::shared_ptr<Raster> m_raster;
    std::unique_ptr<SheetBands> m_bands;
    std::function<void(const RasterBand &rows)> m_beforeFinal;
    int m_final = 0;
    int m_next = 0;
};

// Reads the file at `path` completely as a PNG image (or through `reader`) and returns its width
// and height, as the folder handler does with the first listed file to set the cell size.
// Throws quiltmap::Error.
QSize readTileSize(const QString &path, TileReader &reader = pngTileReader());

// How a sheet takes its cell from its files when no size is given.
struct CellFromTiles
{
    // The largest width and height among the files' headers instead of the first file's size.
    bool largest = false;
    // A file that cannot be read counts for nothing instead of ending the search with its error.
    bool skipUnreadable = false;
    // Makes the error thrown for the file `name` from the reader's; unset, that error is thrown.
    std::function<Error(const QString &name, const Error &error)> atFile;
    // Called before every file after the first; once it returns false the search ends with
    // nothing.
    std::function<bool()> between;
    // When set, receives the first file's tile when the cell is its size.
    std::optional<ReadTile> *firstTile = nullptr;
};

// The cell the files `names` of the folder named by `folderText` give, read through `reader`: the
// first file's size, read completely, or the largest width and height among the headers of all.
// Nothing when skipping leaves no first file or `between` ends the search; the largest of none
// is 0 x 0. Throws
// quiltmap::Error.
std::optional<QSize> cellOfTiles(const QString &folderText, const QStringList &names,
    TileReader &reader, const CellFromTiles &how);

} // namespace quiltmap::sheet
