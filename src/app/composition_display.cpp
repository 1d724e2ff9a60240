#include "app/composition_display.h"

#include "app/raster_view.h"
#include "app/text_list_edit.h"

#include <chrono>

namespace quiltmap::app {

namespace {

// About one frame of a 60 Hz display.
constexpr qint64 frameMilliseconds = 16;

} // namespace

CompositionDisplay::CompositionDisplay(RasterView &preview, TextListEdit &names, Clock clock)
    : m_preview(preview)
    , m_names(names)
    , m_clock(std::move(clock))
    , m_flushedAt(m_clock())
{ }

CompositionDisplay::Clock CompositionDisplay::steadyClock()
{
    return [] {
        using namespace std::chrono;
        return qint64(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    };
}

void CompositionDisplay::add(const QRect &area, const QString &name)
{
    m_area |= area;
    m_pendingNames.append(name);
    if (m_clock() - m_flushedAt >= frameMilliseconds)
        flush();
}

void CompositionDisplay::flush()
{
    if (!m_area.isEmpty())
        m_preview.updateSheetArea(m_area);
    if (!m_pendingNames.isEmpty())
        m_names.appendLines(m_pendingNames);
    m_area = {};
    m_pendingNames.clear();
    m_flushedAt = m_clock();
}

} // namespace quiltmap::app
