#include "app/application.h"

#include "common/error_sink.h"

namespace quiltmap::app {

QuiltMapWindows::QuiltMapWindows(const AppContext &context)
    : frmMain(context, frmOptions)
{ }

QuiltMapApplication::QuiltMapApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{ }

void QuiltMapApplication::setErrorReporter(const ErrorReporter *errors)
{
    m_errors = errors;
    if (errors == nullptr)
        setErrorSink({});
    else
        setErrorSink(
            [errors](const Error &error) { errors->report(activeWindow(), error.message()); });
}

bool QuiltMapApplication::notify(QObject *receiver, QEvent *event)
{
    if (m_errors == nullptr)
        return QApplication::notify(receiver, event);
    bool handled = false;
    m_errors->guard(activeWindow(), [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

} // namespace quiltmap::app
