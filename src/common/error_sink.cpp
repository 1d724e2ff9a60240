#include "common/error_sink.h"

#include <QDebug>

namespace quiltmap {
namespace {

ErrorSink &currentSink()
{
    static ErrorSink sink;
    return sink;
}

} // namespace

void setErrorSink(ErrorSink sink)
{
    currentSink() = std::move(sink);
}

void reportError(const Error &error, QObject *origin)
{
    if (const ErrorSink &sink = currentSink())
        sink(error, origin);
    else
        qWarning().noquote() << error.message();
}

void reportOutOfMemory(QObject *origin)
{
    reportError(Error(QStringLiteral("Zu wenig Arbeitsspeicher")), origin);
}

} // namespace quiltmap
