#pragma once

#include <QString>

class QWidget;

namespace quiltmap::app {

class UserPrompts;

// The message as the error box shows it: "." appended when the last character's code is above
// that of ".".
QString errorBoxText(const QString &message);

// The top-level error handler: an error that escapes a handler ends that handler and is shown
// in a modal error box captioned with the application title; then the event loop goes on.
// Notices go out the same way, in a plain box. Handlers reach it through reportingErrors
// (common/error_sink.h) once it is installed as the error sink.
class ErrorReporter
{
public:
    ErrorReporter(UserPrompts &prompts, QString title);

    const QString &title() const { return m_title; }
    UserPrompts &prompts() const { return m_prompts; }

    void report(QWidget *parent, const QString &message) const;
    // A modal box with the text and an OK button, captioned with the application title.
    void showNotice(QWidget *parent, const QString &text) const;

private:
    UserPrompts &m_prompts;
    QString m_title;
};

// Makes `errors` the error sink of all event handling; null sends errors to the log again. A
// window's own error box goes over that window, a control's over the active window.
void installErrorReporter(const ErrorReporter *errors);

} // namespace quiltmap::app
