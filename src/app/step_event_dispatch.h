#pragma once

#include <QElapsedTimer>

namespace quiltmap::app {

// Dispatches the pending events between the steps of a long task on the window's thread.
// Looking for events costs a system call even when none wait, so after a look that found none
// the next waits a fraction of a millisecond; while events keep coming, every step looks.
class StepEventDispatch
{
public:
    void dispatchPending();

private:
    QElapsedTimer m_sinceQuietLook;
};

} // namespace quiltmap::app
