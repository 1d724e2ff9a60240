#pragma once

#include "common/error.h"

#include <functional>
#include <new>

class QObject;

namespace quiltmap {

// An exception must not travel through the toolkit's event delivery, so all event handling,
// the window's handlers and the controls' alike, runs its work through reportingErrors. An
// Error it raises ends that work and goes to the error sink with the object whose handling
// failed; the application sets the sink to its top-level error handler, and without one the
// message goes to the log. Running out of memory is reported the same way: the user can close
// other work and go on. Any other exception is a programming error, never a user's: it passes
// on.
using ErrorSink = std::function<void(const Error &, QObject *origin)>;

void setErrorSink(ErrorSink sink);
void reportError(const Error &error, QObject *origin = nullptr);
void reportOutOfMemory(QObject *origin);

template<typename Work> void reportingErrors(QObject *origin, Work &&work)
{
    try {
        work();
    } catch (const Error &error) {
        reportError(error, origin);
    } catch (const std::bad_alloc &) {
        reportOutOfMemory(origin);
    }
}

} // namespace quiltmap
