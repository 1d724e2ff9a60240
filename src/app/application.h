#pragma once

#include "app/error_reporter.h"
#include "app/filename_dialog.h"
#include "app/main_window.h"
#include "app/options_dialog.h"

#include <QApplication>

namespace quiltmap::app {

// The three windows of the application, each created once and kept until the end.
class QuiltMapWindows
{
public:
    explicit QuiltMapWindows(const AppContext &context);

    TfrmOptions frmOptions;
    TfrmMain frmMain;
    TfrmFilename frmFilename;
};

// The application object: an Error that event handling raises ends that handling and goes to
// the error sink (see installErrorReporter) instead of through the toolkit. Any other exception
// is a programming error: it ends the process where it is raised, with its message, and never
// shows as if it were the user's.
class QuiltMapApplication : public QApplication
{
public:
    QuiltMapApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) noexcept override;
};

} // namespace quiltmap::app
