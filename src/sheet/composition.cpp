#include "sheet/composition.h"

#include "common/error.h"
#include "sheet/folder_listing.h"
#include "sheet/tile_drawing.h"
#include "sheet/tile_name.h"

#include <limits>
#include <stdexcept>

namespace quiltmap::sheet {
namespace {

Raster backgroundRaster(const SheetGeometry &geometry, const SheetStyle &style)
{
    const SheetSize laidOut = sheetSize(geometry, style.layout);
    const SheetSize size = style.powerOfTwo ? powerOfTwoSize(laidOut) : laidOut;
    if (size.width > std::numeric_limits<int>::max()
        || size.height > std::numeric_limits<int>::max())
        throw Error(
            QStringLiteral("Bild mit %1 x %2 Pixeln ist zu groß").arg(size.width).arg(size.height),
            { .code = ErrorCode::SheetTooLarge, .width = size.width, .height = size.height });
    if (style.background.transparent)
        return Raster::filled(int(size.width), int(size.height), 4, { 0, 0, 0, 0 });
    const auto [red, green, blue] = style.background.rgb;
    return Raster::filled(int(size.width), int(size.height), 3, { red, green, blue, 255 });
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

Composition::DrawnTile Composition::drawNextTile()
{
    if (atEnd())
        throw std::logic_error("Composition::drawNextTile after the last tile");
    const int index = m_next;
    const Tile tile = m_reader->read(tilePath(m_folderText, m_names.at(index)));
    DrawnTile drawn { index, tileName(m_names.at(index)), cellPlace(m_geometry, m_layout, index),
        QSize(tile.width(), tile.height()), {} };
    m_tileNames.append(drawn.name);

    const std::int64_t x = drawn.cell.x;
    const std::int64_t y = drawn.cell.y;
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

Composition::DrawnTile Composition::skipNextTile()
{
    if (atEnd())
        throw std::logic_error("Composition::skipNextTile after the last tile");
    const int index = m_next++;
    DrawnTile skipped { index, tileName(m_names.at(index)), cellPlace(m_geometry, m_layout, index),
        QSize(0, 0), {} };
    m_tileNames.append(skipped.name);
    return skipped;
}

std::shared_ptr<const Raster> Composition::finish()
{
    if (!atEnd())
        throw std::logic_error("Composition::finish before the last tile");
    return m_raster;
}

QSize readTileSize(const QString &path, TileReader &reader)
{
    const Tile tile = reader.read(path);
    return { tile.width(), tile.height() };
}

} // namespace quiltmap::sheet
