#pragma once

#include "common/error.h"

#include <functional>

namespace quiltmap {

// An exception must not travel through the toolkit's event delivery, so a control hands an
// error raised in its own event handling to the error sink instead. The application installs
// its top-level error handler as the sink; without one the message goes to the log.
using ErrorSink = std::function<void(const Error &)>;

void setErrorSink(ErrorSink sink);
void reportError(const Error &error);

// Runs one piece of a control's event handling; an error it raises ends it and goes to the sink.
template<typename Work> void reportingErrors(Work &&work)
{
    try {
        work();
    } catch (const Error &error) {
        reportError(error);
    }
}

} // namespace quiltmap
