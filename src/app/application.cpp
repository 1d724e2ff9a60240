#include "app/application.h"

#include "common/error_sink.h"

#include <exception>
#include <malloc.h>

namespace quiltmap::app {

QuiltMapWindows::QuiltMapWindows(const AppContext &context)
    : frmMain(context, frmOptions)
{ }

namespace {

// The window's helper threads (listing a folder, reading tiles ahead, letting a sheet go) come
// and go with every composition. With a malloc arena each, what they free stays with arenas that
// no thread uses any more: about 80 MiB at 200 000 files. One arena, limited before the first
// thread starts, gives it to the next allocation instead.
// Small blocks freed on those threads are not kept aside unmerged either: kept aside, they were
// merged all at once by the window's next large allocation, which at 200 000 files kept events
// waiting for 20 to 45 ms. Merged as they are freed, the cost stays with the thread that frees.
int &withSharedMalloc(int &argc)
{
#ifdef M_ARENA_MAX
    mallopt(M_ARENA_MAX, 1);
#endif
#ifdef M_MXFAST
    mallopt(M_MXFAST, 0);
#endif
    return argc;
}

} // namespace

QuiltMapApplication::QuiltMapApplication(int &argc, char **argv)
    : QApplication(withSharedMalloc(argc), argv)
{ }

bool QuiltMapApplication::notify(QObject *receiver, QEvent *event) noexcept
{
    bool handled = false;
    try {
        reportingErrors(receiver, [&] { handled = QApplication::notify(receiver, event); });
    } catch (const std::exception &error) {
        qFatal("Programmfehler: %s", error.what());
    }
    return handled;
}

} // namespace quiltmap::app
