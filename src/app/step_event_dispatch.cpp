#include "app/step_event_dispatch.h"

#include <QAbstractEventDispatcher>

namespace quiltmap::app {

namespace {

// Far below what a typing user or a display frame notices.
constexpr qint64 quietLookIntervalNs = 500'000;

} // namespace

void StepEventDispatch::dispatchPending()
{
    if (m_sinceQuietLook.isValid() && m_sinceQuietLook.nsecsElapsed() < quietLookIntervalNs)
        return;
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    if (dispatcher && !dispatcher->processEvents(QEventLoop::AllEvents))
        m_sinceQuietLook.start();
    else
        m_sinceQuietLook.invalidate();
}

} // namespace quiltmap::app
