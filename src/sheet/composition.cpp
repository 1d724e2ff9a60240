#include "sheet/composition.h"

#include "common/error.h"
#include "sheet/folder_listing.h"
#include "sheet/pixel_buffers.h"
#include "sheet/tile_drawing.h"
#include "sheet/tile_name.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace quiltmap::sheet {
namespace {

// The sheet's size, width and height, in pixels that a raster can hold.
QSize sheetPixels(const SheetGeometry &geometry, const SheetStyle &style)
{
    const SheetSize laidOut = sheetSize(geometry, style.layout);
    const SheetSize size = style.powerOfTwo ? powerOfTwoSize(laidOut) : laidOut;
    if (size.width > std::numeric_limits<int>::max()
        || size.height > std::numeric_limits<int>::max())
        throw Error(
            QStringLiteral("Bild mit %1 x %2 Pixeln ist zu groß").arg(size.width).arg(size.height),
            { .code = ErrorCode::SheetTooLarge, .width = size.width, .height = size.height });
    return { int(size.width), int(size.height) };
}

int channelsFor(const SheetBackground &background)
{
    return background.transparent ? 4 : 3;
}

std::array<std::uint8_t, 4> pixelOf(const SheetBackground &background)
{
    if (background.transparent)
        return { 0, 0, 0, 0 };
    const auto [red, green, blue] = background.rgb;
    return { red, green, blue, 255 };
}

Raster backgroundRaster(const SheetGeometry &geometry, const SheetStyle &style)
{
    const QSize size = sheetPixels(geometry, style);
    return Raster::filled(
        size.width(), size.height(), channelsFor(style.background), pixelOf(style.background));
}

std::unique_ptr<SheetBands> backgroundBands(
    const SheetGeometry &geometry, const SheetStyle &style, const Composition::Banded &banded)
{
    const QSize size = sheetPixels(geometry, style);
    return std::make_unique<SheetBands>(size.width(), size.height(), channelsFor(style.background),
        pixelOf(style.background), banded.heldBytes, banded.bandBytes);
}

} // namespace

Composition::Composition(
    const SheetGeometry &geometry, QString folderText, QStringList names, const SheetStyle &style)
    : m_geometry(geometry)
    , m_layout(style.layout)
    , m_folderText(std::move(folderText))
    , m_names(std::move(names))
    , m_raster(std::make_shared<Raster>(backgroundRaster(geometry, style)))
{ }

Composition::Composition(const SheetGeometry &geometry, QString folderText, QStringList names,
    const SheetStyle &style, Banded banded)
    : m_geometry(geometry)
    , m_layout(style.layout)
    , m_folderText(std::move(folderText))
    , m_names(std::move(names))
    , m_bands(backgroundBands(geometry, style, banded))
    , m_beforeFinal(std::move(banded.beforeFinal))
{
    // Rows shown to the caller are held until the writer takes them, and no writer reads yet:
    // then the rows above the first cell become final with the first tile.
    if (!m_beforeFinal || atEnd())
        publishFinalRows();
}

const Raster &Composition::raster() const
{
    if (!m_raster)
        throw std::logic_error("Composition::raster of a banded composition");
    return *m_raster;
}

const QStringList &Composition::tileNames() const
{
    if (m_bands)
        throw std::logic_error("Composition::tileNames of a banded composition");
    return m_tileNames;
}

SheetBands &Composition::bands() const
{
    if (!m_bands)
        throw std::logic_error("Composition::bands of a whole-sheet composition");
    return *m_bands;
}

// Draws band by band in bands (each pixel is drawn on once either way).
void Composition::draw(const Tile &tile, int x, int y)
{
    if (m_raster) {
        drawTile(*m_raster, tile, x, y);
        return;
    }
    const int bottom
        = int(std::min<std::int64_t>(std::int64_t(y) + tile.height(), m_bands->height()));
    for (int top = std::max(y, 0); top < bottom;) {
        const RasterBand band = m_bands->drawingRows(top, bottom);
        drawTile(band, tile, x, y);
        top = band.bottom;
    }
}

// Tiles are drawn from their cell's top down, cells row by row: the rows above the next cell are
// final.
void Composition::publishFinalRows()
{
    if (!m_bands)
        return;
    const int rows = atEnd() ? m_bands->height()
                             : int(std::clamp<std::int64_t>(
                                 cellPlace(m_geometry, m_layout, m_next).y, 0, m_bands->height()));
    if (m_beforeFinal)
        for (int top = m_final; top < rows;) {
            const RasterBand band = m_bands->drawingRows(top, rows);
            m_beforeFinal(band);
            top = band.bottom;
        }
    m_final = std::max(m_final, rows);
    m_bands->publish(rows);
}

Composition::DrawnTile Composition::drawNextTile()
{
    if (atEnd())
        throw std::logic_error("Composition::drawNextTile after the last tile");
    const int index = m_next;
    Tile tile = m_reader->read(tilePath(m_folderText, m_names.at(index)));
    DrawnTile drawn { index, tileName(m_names.at(index)), cellPlace(m_geometry, m_layout, index),
        QSize(tile.width(), tile.height()), {} };
    if (m_raster)
        m_tileNames.append(drawn.name);

    const std::int64_t x = drawn.cell.x;
    const std::int64_t y = drawn.cell.y;
    const QSize sheet = m_raster ? QSize(m_raster->width(), m_raster->height())
                                 : QSize(m_bands->width(), m_bands->height());
    const bool visible
        = x < sheet.width() && y < sheet.height() && x + tile.width() > 0 && y + tile.height() > 0;
    if (visible) {
        draw(tile, int(x), int(y));
        drawn.area = QRect(int(x), int(y), tile.width(), tile.height())
                         .intersected(QRect(QPoint(0, 0), sheet));
    }
    keepPixelBuffer(std::move(tile).takePixels());
    ++m_next;
    publishFinalRows();
    return drawn;
}

Composition::DrawnTile Composition::skipNextTile()
{
    if (atEnd())
        throw std::logic_error("Composition::skipNextTile after the last tile");
    const int index = m_next++;
    DrawnTile skipped { index, tileName(m_names.at(index)), cellPlace(m_geometry, m_layout, index),
        QSize(0, 0), {} };
    if (m_raster)
        m_tileNames.append(skipped.name);
    publishFinalRows();
    return skipped;
}

std::shared_ptr<const Raster> Composition::finish()
{
    if (!atEnd())
        throw std::logic_error("Composition::finish before the last tile");
    if (!m_raster)
        throw std::logic_error("Composition::finish of a banded composition");
    return m_raster;
}

QSize readTileSize(const QString &path, TileReader &reader)
{
    Tile tile = reader.read(path);
    const QSize size(tile.width(), tile.height());
    keepPixelBuffer(std::move(tile).takePixels());
    return size;
}

std::optional<QSize> cellOfTiles(const QString &folderText, const QStringList &names,
    TileReader &reader, const CellFromTiles &how)
{
    QSize largest(0, 0);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (i > 0 && how.between && !how.between())
            return std::nullopt;
        const QString &name = names.at(i);
        const QString path = tilePath(folderText, name);
        try {
            if (!how.largest) {
                if (!how.firstTile)
                    return readTileSize(path, reader);
                const Tile &tile
                    = how.firstTile->emplace(ReadTile { path, reader.read(path) }).tile;
                return QSize(tile.width(), tile.height());
            }
            largest = largest.expandedTo(reader.readSize(path));
        } catch (const Error &error) {
            if (!how.skipUnreadable)
                throw how.atFile ? how.atFile(name, error) : error;
        }
    }
    if (how.largest)
        return largest;
    return std::nullopt;
}

} // namespace quiltmap::sheet
