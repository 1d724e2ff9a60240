#include "app/application.h"

#include "common/error_sink.h"

#include <exception>

namespace quiltmap::app {

QuiltMapWindows::QuiltMapWindows(const AppContext &context)
    : frmMain(context, frmOptions)
{ }

QuiltMapApplication::QuiltMapApplication(int &argc, char **argv)
    : QApplication(argc, argv)
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
