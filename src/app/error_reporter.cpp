#include "app/error_reporter.h"

#include "app/user_prompts.h"
#include "common/error_sink.h"

#include <QApplication>
#include <QWidget>

namespace quiltmap::app {

QString errorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back() > u'.')
        return message + u'.';
    return message;
}

ErrorReporter::ErrorReporter(UserPrompts &prompts, QString title)
    : m_prompts(prompts)
    , m_title(std::move(title))
{ }

void ErrorReporter::report(QWidget *parent, const QString &message) const
{
    m_prompts.showError(parent, m_title, errorBoxText(message));
}

void ErrorReporter::showNotice(QWidget *parent, const QString &text) const
{
    m_prompts.showNotice(parent, m_title, text);
}

namespace {

// A pop-up, such as the calculator panel, closes under a box and so never carries one.
QWidget *boxParent(QObject *origin)
{
    auto *widget = qobject_cast<QWidget *>(origin);
    if (widget != nullptr && widget->isWindow() && widget->windowType() != Qt::Popup)
        return widget;
    return QApplication::activeWindow();
}

} // namespace

void installErrorReporter(const ErrorReporter *errors)
{
    if (errors == nullptr)
        setErrorSink({});
    else
        setErrorSink([errors](const Error &error, QObject *origin) {
            errors->report(boxParent(origin), error.message());
        });
}

} // namespace quiltmap::app
