#pragma once

#include "app/step_event_dispatch.h"
#include "sheet/composition.h"
#include "sheet/geometry.h"
#include "sheet/grid_data.h"

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QStringList>
#include <functional>
#include <memory>
#include <thread>

namespace quiltmap {
class Error;
}

namespace quiltmap::sheet {
class PrefetchingTileReader;
} // namespace quiltmap::sheet

namespace quiltmap::app {

class CompositionDisplay;
class RasterView;
class TextListEdit;

// Drives the window's compositions one tile at a time, dispatching the window's events between
// tiles, and owns what they make: the running composition, its read-ahead, the batched display
// of its tiles in the preview and the name list, and the finished sheet with its grid and
// names. A newer run supersedes a running one, which then stops at its next step without
// touching anything again.
class CompositionRun : public QObject
{
public:
    // Says whether the run it was handed out for is still the latest; false also once the
    // CompositionRun is gone.
    class Ticket
    {
    public:
        bool isCurrent() const;
        // Dispatches the pending events, then tells whether the run is still the latest.
        bool dispatchEvents();

    private:
        friend class CompositionRun;
        Ticket(CompositionRun &owner, quint64 number);
        QPointer<CompositionRun> m_owner;
        quint64 m_number;
        StepEventDispatch m_events;
    };

    CompositionRun(RasterView &preview, TextListEdit &names);
    ~CompositionRun() override;

    // Supersedes the running composition, leaving what it drew shown.
    Ticket begin();
    // A ticket of the running composition's turn that supersedes nothing: work that leads to a
    // composition holds it until the next begin() or release().
    Ticket current() { return Ticket(*this, m_number); }
    // Lets the last sheet go (the window never holds two), then starts a composition whose
    // sheet the preview shows while its tiles are drawn, with the name list emptied. A geometry
    // error thrown before the call leaves the last sheet shown and kept.
    void start(const sheet::SheetGeometry &geometry, const QString &folder,
        const QStringList &names, sheet::TileReader &reader, const sheet::SheetStyle &style = {});
    int tileCount() const;
    // Draws the remaining tiles, dispatching events before each. False when a newer run or the
    // end of the window superseded this one. A tile's error is thrown; the tiles before it stay
    // shown. Given `skip`, the file name of a tile that cannot be read is handed to it with the
    // error instead, and the tile's cell keeps the background.
    using SkipFile = std::function<void(const QString &name, const Error &error)>;
    bool composeRemaining(Ticket &ticket, const SkipFile &skip = nullptr);
    // Hands the drawn sheet over as the finished one, which the preview then shows.
    void finish();
    // Ends a composition that stopped on an error: what it drew stays shown.
    void stop();
    // Supersedes any run and lets every sheet go; the preview shows nothing.
    void release();

    // Gives a preview that shows nothing a white surface of `size`.
    void showBlank(QSize size);

    // The sheet of the last finished composition: empty before one, null after release().
    const sheet::Raster *finishedSheet() const { return m_finishedSheet.get(); }
    // The grid and the names of the tiles drawn so far by the running composition, or of the
    // last finished one.
    const sheet::SheetGeometry &shownGeometry() const;
    const QStringList &shownNames() const;
    // The style and the tiles, in cell order, of the last finished composition, as its data
    // files state them.
    const sheet::SheetStyle &finishedStyle() const { return m_finishedStyle; }
    const QList<sheet::GridTile> &finishedTiles() const { return m_finishedTiles; }

private:
    RasterView &m_preview;
    TextListEdit &m_names;
    quint64 m_number = 0;
    // Decodes the running composition's tiles ahead on other threads.
    std::unique_ptr<sheet::PrefetchingTileReader> m_tilesAhead;
    // The composition the preview shows while it draws, or the last one that failed.
    std::unique_ptr<sheet::Composition> m_composition;
    std::unique_ptr<CompositionDisplay> m_display;
    sheet::SheetGeometry m_finishedGeometry;
    QStringList m_finishedNames;
    sheet::SheetStyle m_style;
    QList<sheet::GridTile> m_tiles;
    sheet::SheetStyle m_finishedStyle;
    QList<sheet::GridTile> m_finishedTiles;
    std::shared_ptr<const sheet::Raster> m_finishedSheet;
    std::shared_ptr<const sheet::Raster> m_blank;
    // Gives back the memory of the last sheet's names and tiles, which takes a while for a large
    // folder, while the next composition starts; joined before the next and at the end.
    std::jthread m_releasing;
};

} // namespace quiltmap::app
