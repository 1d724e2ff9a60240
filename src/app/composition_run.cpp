#include "app/composition_run.h"

#include "app/composition_display.h"
#include "app/raster_view.h"
#include "app/release_elsewhere.h"
#include "app/text_list_edit.h"
#include "common/error.h"
#include "sheet/folder_listing.h"
#include "sheet/prefetching_tile_reader.h"
#include "sheet/raster.h"
#include "sheet/sheet_export.h"

#include <tuple>
#include <utility>

namespace quiltmap::app {

CompositionRun::Ticket::Ticket(CompositionRun &owner, quint64 number)
    : m_owner(&owner)
    , m_number(number)
{ }

bool CompositionRun::Ticket::isCurrent() const
{
    return m_owner && m_owner->m_number == m_number;
}

bool CompositionRun::Ticket::dispatchEvents()
{
    m_events.dispatchPending();
    return isCurrent();
}

CompositionRun::CompositionRun(RasterView &preview, TextListEdit &names)
    : m_preview(preview)
    , m_names(names)
    , m_display(std::make_unique<CompositionDisplay>(preview, names))
    // The export image exists from the start, without a raster until a composition ends.
    , m_finishedSheet(std::make_shared<const sheet::Raster>())
{ }

CompositionRun::~CompositionRun() = default;

CompositionRun::Ticket CompositionRun::begin()
{
    // What the composition this one supersedes drew stays shown.
    m_display->flush();
    return Ticket(*this, ++m_number);
}

void CompositionRun::start(const sheet::SheetGeometry &geometry, const QString &folder,
    const QStringList &names, sheet::TileReader &reader, const sheet::SheetStyle &style)
{
    m_preview.setRaster(nullptr);
    m_tilesAhead.reset();
    releaseElsewhere(m_releasing,
        std::make_tuple(std::move(m_composition), std::exchange(m_finishedNames, {}),
            std::exchange(m_finishedTiles, {}), std::exchange(m_finishedSheet, {})));
    m_finishedSheet = std::make_shared<const sheet::Raster>();
    m_blank.reset();
    m_composition = std::make_unique<sheet::Composition>(geometry, folder, names, style);
    m_style = style;
    m_tiles.clear();
    // Grown tile by tile, the list would be copied whole at each doubling, which at 200 000
    // tiles kept events waiting for 50 ms.
    m_tiles.reserve(m_composition->tileCount());
    m_composition->setTileReader(reader);
    // While this thread draws a tile and dispatches events, the next tiles are decoded on the
    // other processors. A tile's error still surfaces when its turn comes.
    if (const unsigned threads = sheet::processorCount(); threads > 1) {
        m_tilesAhead = std::make_unique<sheet::PrefetchingTileReader>(
            reader, folder, m_composition->names(), threads);
        m_composition->setTileReader(*m_tilesAhead);
    }
    m_preview.setRaster(&m_composition->raster());
    m_names.clearAtOnce();
}

int CompositionRun::tileCount() const
{
    return m_composition ? m_composition->tileCount() : 0;
}

bool CompositionRun::composeRemaining(Ticket &ticket, const SkipFile &skip)
{
    const sheet::SheetGeometry &geometry = m_composition->geometry();
    while (!m_composition->atEnd()) {
        if (!ticket.dispatchEvents())
            return false;
        sheet::Composition::DrawnTile tile;
        try {
            tile = m_composition->drawNextTile();
        } catch (const Error &error) {
            if (!skip)
                throw;
            skip(m_composition->names().at(m_composition->nextIndex()), error);
            tile = m_composition->skipNextTile();
        }
        m_display->add(tile.area, tile.name);
        m_tiles.append({ tile.index, sheet::trimNameLine(tile.name),
            m_composition->names().at(tile.index), tile.cell.column, tile.cell.row, tile.cell.x,
            tile.cell.y, tile.size.width(), tile.size.height(), tile.exceedsCell(geometry) });
    }
    return true;
}

void CompositionRun::finish()
{
    m_display->flush();
    m_preview.repaint();
    m_finishedSheet = m_composition->finish();
    m_finishedGeometry = m_composition->geometry();
    m_finishedNames = m_composition->tileNames();
    m_finishedStyle = m_style;
    m_finishedTiles = std::move(m_tiles);
    m_tiles.clear();
    m_preview.setRaster(m_finishedSheet.get());
    m_composition.reset();
    m_tilesAhead.reset();
}

void CompositionRun::stop()
{
    m_tilesAhead.reset();
    m_display->flush();
}

// A composition still running in a nested event dispatch sees the new number and stops before
// it touches the released images.
void CompositionRun::release()
{
    ++m_number;
    m_preview.setRaster(nullptr);
    m_composition.reset();
    m_tilesAhead.reset();
    m_blank.reset();
    m_finishedSheet.reset();
}

void CompositionRun::showBlank(QSize size)
{
    if (m_preview.raster() != nullptr)
        return;
    m_blank
        = std::make_shared<const sheet::Raster>(sheet::Raster::white(size.width(), size.height()));
    m_preview.setRaster(m_blank.get());
}

const sheet::SheetGeometry &CompositionRun::shownGeometry() const
{
    return m_composition ? m_composition->geometry() : m_finishedGeometry;
}

const QStringList &CompositionRun::shownNames() const
{
    return m_composition ? m_composition->tileNames() : m_finishedNames;
}

} // namespace quiltmap::app
