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

// The application object: an error that a control's own event handling raises ends that
// handling and goes to the top-level error handler instead of ending the process.
class QuiltMapApplication : public QApplication
{
public:
    QuiltMapApplication(int &argc, char **argv);

    // Also receives the errors that controls hand to the error sink; null ends both.
    void setErrorReporter(const ErrorReporter *errors);
    bool notify(QObject *receiver, QEvent *event) override;

private:
    const ErrorReporter *m_errors = nullptr;
};

} // namespace quiltmap::app
