#pragma once

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <stdexcept>

namespace quiltmap::sheet {

// Tells a reader of a raster that is still being drawn which rows are final, so that the sheet
// can be compressed while later rows are drawn. Rows above the published count never change
// again.
class RowsReady
{
public:
    // The drawing stopped before the rows a reader waited for were final.
    class Abandoned : public std::runtime_error
    {
    public:
        Abandoned()
            : std::runtime_error("the sheet's drawing was abandoned")
        { }
    };

    // Rows 0 to rows - 1 are final. Readers are woken only once the rows one of them waits for
    // are there: the drawing publishes after every tile.
    void publish(int rows)
    {
        bool wake = false;
        {
            const std::lock_guard lock(m_mutex);
            m_rows = std::max(m_rows, rows);
            wake = m_rows >= m_wanted;
            if (wake)
                m_wanted = INT_MAX;
        }
        if (wake)
            m_changed.notify_all();
    }

    // The drawing has stopped: readers waiting now or later get Abandoned.
    void abandon()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_abandoned = true;
        }
        m_changed.notify_all();
    }

    // Waits until rows 0 to rows - 1 are final; throws Abandoned when they never will be.
    void waitFor(int rows) const
    {
        std::unique_lock lock(m_mutex);
        while (m_rows < rows && !m_abandoned) {
            m_wanted = std::min(m_wanted, rows);
            m_changed.wait(lock);
        }
        if (m_rows < rows)
            throw Abandoned();
    }

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    int m_rows = 0;
    // The fewest rows a waiting reader needs.
    mutable int m_wanted = INT_MAX;
    bool m_abandoned = false;
};

} // namespace quiltmap::sheet
