#include "cli/folder_watch.h"

#include "common/error.h"
#include "sheet/folder_listing.h"
#include "sheet/wildcard.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <cerrno>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace quiltmap::cli {
namespace {

constexpr std::uint32_t watchedEvents = IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE
    | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;

// How often a wait looks at the stop flag while nothing happens.
constexpr std::chrono::milliseconds stopCheck(50);

[[noreturn]] void cannotWatch(const QString &folder, int error)
{
    throw Error(folder + QStringLiteral(": cannot watch: ") + qt_error_string(error));
}

} // namespace

FolderWatch::FolderWatch(const QString &folder, const QStringList &ignoredPrefixes)
    : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    , m_ignoredPrefixes(ignoredPrefixes)
{
    if (m_fd < 0)
        cannotWatch(folder, errno);
    if (::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), watchedEvents) < 0) {
        const int error = errno;
        ::close(m_fd);
        cannotWatch(folder, error);
    }
}

FolderWatch::~FolderWatch()
{
    ::close(m_fd);
}

bool FolderWatch::counts(const QString &name) const
{
    // An event without a name concerns the folder itself.
    if (name.isEmpty())
        return true;
    for (const QString &prefix : m_ignoredPrefixes)
        if (name.startsWith(prefix))
            return false;
    const QStringList patterns = sheet::FolderListing::defaultMask().split(u';');
    return std::any_of(patterns.begin(), patterns.end(),
        [&](const QString &pattern) { return sheet::matchesWildcard(pattern, name); });
}

bool FolderWatch::readChanges()
{
    bool changed = false;
    alignas(inotify_event) std::array<char, 16384> buffer;
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer.data(), buffer.size());
        if (got <= 0)
            return changed;
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer.data() + at);
            const QString name = event->len > 0 ? QFile::decodeName(event->name) : QString();
            if (counts(name))
                changed = true;
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
}

bool FolderWatch::waitForQuietChange(std::chrono::milliseconds quiet, const std::atomic<bool> &stop)
{
    using Clock = std::chrono::steady_clock;
    bool changed = false;
    Clock::time_point lastChange;
    while (!stop) {
        pollfd entry { m_fd, POLLIN, 0 };
        if (::poll(&entry, 1, int(stopCheck.count())) > 0 && readChanges()) {
            changed = true;
            lastChange = Clock::now();
        }
        if (changed && Clock::now() - lastChange >= quiet)
            return true;
    }
    return false;
}

} // namespace quiltmap::cli
