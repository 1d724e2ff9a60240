#pragma once

#include "common/error.h"

#include <QString>
#include <exception>

class QWidget;

namespace quiltmap::app {

class UserPrompts;

// The message as the error box shows it: "." appended when the last character's code is above
// that of ".".
QString errorBoxText(const QString &message);

// The top-level error handler: an error that escapes a handler ends that handler and is shown
// in a modal error box captioned with the application title; then the event loop goes on.
// Notices go out the same way, in a plain box.
class ErrorReporter
{
public:
    ErrorReporter(UserPrompts &prompts, QString title);

    const QString &title() const { return m_title; }
    UserPrompts &prompts() const { return m_prompts; }

    void report(QWidget *parent, const QString &message) const;
    // A modal box with the text and an OK button, captioned with the application title.
    void showNotice(QWidget *parent, const QString &text) const;

    // Runs one handler; an error it raises is reported instead of passed on.
    template<typename Handler> void guard(QWidget *parent, Handler &&handler) const
    {
        try {
            handler();
        } catch (const Error &error) {
            report(parent, error.message());
        } catch (const std::exception &error) {
            report(parent, QString::fromLocal8Bit(error.what()));
        }
    }

private:
    UserPrompts &m_prompts;
    QString m_title;
};

} // namespace quiltmap::app
