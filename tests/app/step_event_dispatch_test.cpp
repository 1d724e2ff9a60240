#include "app/step_event_dispatch.h"

#include <QCoreApplication>
#include <QEvent>
#include <gtest/gtest.h>
#include <thread>

namespace quiltmap::app {
namespace {

class EventCounter : public QObject
{
public:
    int seen = 0;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        ++seen;
        return true;
    }
};

// While events keep coming every step dispatches them; after a step that found none, an event
// waits at most the short interval.
TEST(StepEventDispatch, DispatchesEveryStepWhileBusyAndSoonAfterAQuietStep)
{
    QCoreApplication::processEvents();
    EventCounter counter;
    StepEventDispatch events;
    for (int step = 1; step <= 3; ++step) {
        QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
        events.dispatchPending();
        EXPECT_EQ(counter.seen, step);
    }

    events.dispatchPending();
    QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    events.dispatchPending();
    EXPECT_EQ(counter.seen, 4);
}

} // namespace
} // namespace quiltmap::app
