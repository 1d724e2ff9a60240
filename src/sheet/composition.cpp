#include "sheet/composition.h"

#include "sheet/folder_listing.h"
#include "sheet/png_reader.h"
#include "sheet/tile_drawing.h"
#include "sheet/tile_name.h"

#include <stdexcept>

namespace quiltmap::sheet {

Composition::Composition(const SheetGeometry &geometry, QString folderText, QStringList names)
    : m_geometry(geometry)
    , m_folderText(std::move(folderText))
    , m_names(std::move(names))
    , m_raster(std::make_shared<Raster>(Raster::white(geometry.sheetWidth, geometry.sheetHeight)))
{ }

Composition::DrawnTile Composition::drawNextTile()
{
    if (atEnd())
        throw std::logic_error("Composition::drawNextTile after the last tile");
    const int index = m_next;
    const Tile tile = readPngFile(tilePath(m_folderText, m_names.at(index)));
    DrawnTile drawn { index, tileName(m_names.at(index)), {} };
    m_tileNames.append(drawn.name);

    // Cells are filled row by row; in 64 bits, as odd field values can push a cell far out.
    const std::int64_t column = m_geometry.columns > 0 ? index % m_geometry.columns : index;
    const std::int64_t row = m_geometry.columns > 0 ? index / m_geometry.columns : 0;
    const std::int64_t x = column * m_geometry.cellWidth;
    const std::int64_t y = row * m_geometry.cellHeight;
    const bool visible = x < m_raster->width() && y < m_raster->height() && x + tile.width() > 0
        && y + tile.height() > 0;
    if (visible) {
        drawTile(*m_raster, tile, int(x), int(y));
        drawn.area = QRect(int(x), int(y), tile.width(), tile.height())
                         .intersected(QRect(0, 0, m_raster->width(), m_raster->height()));
    }
    ++m_next;
    return drawn;
}

std::shared_ptr<const Raster> Composition::finish()
{
    if (!atEnd())
        throw std::logic_error("Composition::finish before the last tile");
    return m_raster;
}

QSize readTileSize(const QString &path)
{
    const Tile tile = readPngFile(path);
    return { tile.width(), tile.height() };
}

} // namespace quiltmap::sheet
