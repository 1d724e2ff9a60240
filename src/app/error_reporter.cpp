#include "app/error_reporter.h"

#include "app/user_prompts.h"

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

} // namespace quiltmap::app
