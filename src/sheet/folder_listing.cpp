#include "sheet/folder_listing.h"

#include "common/error.h"
#include "sheet/name_order.h"
#include "sheet/wildcard.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <future>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace quiltmap::sheet {
namespace {

[[noreturn]] void throwUnreadable(const QString &folder, int error)
{
    const QString reason = qt_error_string(error);
    throw Error(QStringLiteral("Ordner \"%1\" kann nicht gelesen werden. %2").arg(folder, reason),
        { .code = ErrorCode::CannotReadFolder, .path = folder, .reason = reason });
}

void enterFolder(const QString &folder)
{
    if (::chdir(QFile::encodeName(folder).constData()) != 0)
        throwUnreadable(folder, errno);
}

// Whether a directory entry is a regular file, following a symbolic link to its target. The
// type the directory reports saves a status call per file where the file system gives one.
bool isRegularFile(DIR *dir, const dirent &entry)
{
    if (entry.d_type == DT_REG)
        return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    struct stat info;
    return ::fstatat(::dirfd(dir), entry.d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
}

using DirHandle = std::unique_ptr<DIR, int (*)(DIR *)>;

DirHandle openCurrentFolder(const QString &folder)
{
    DirHandle dir(::opendir("."), &::closedir);
    if (!dir)
        throwUnreadable(folder, errno);
    return dir;
}

// The names of the directory's entries that can be listed at all: regular files whose names
// do not start with ".", in the order the file system delivers them. Empty once `stop` is set.
QStringList listableEntries(DIR *dir, const QString &folder, const std::atomic<bool> &stop)
{
    QStringList names;
    errno = 0;
    while (const dirent *entry = ::readdir(dir)) {
        if (stop.load(std::memory_order_relaxed))
            return {};
        if (entry->d_name[0] != '.' && isRegularFile(dir, *entry))
            names.append(QFile::decodeName(entry->d_name));
        errno = 0;
    }
    if (errno != 0)
        throwUnreadable(folder, errno);
    return names;
}

// The listable entries that match the mask, in listing order; `onHundredth` is called once
// when a name lands at index 100. Empty once `stop` is set.
QStringList matchingNames(DIR *dir, const QString &folder, const QString &mask,
    const std::atomic<bool> &stop, const std::function<void()> &onHundredth)
{
    const QStringList entries = listableEntries(dir, folder, stop);
    NameOrder order;
    bool hundredth = false;
    for (const QString &pattern : mask.split(u';')) {
        for (const QString &entry : entries) {
            if (stop.load(std::memory_order_relaxed))
                return {};
            if (matchesWildcard(pattern, entry) && order.insert(entry) == 100 && !hundredth) {
                hundredth = true;
                onHundredth();
            }
        }
    }
    return order.takeNames();
}

} // namespace

FolderListing::FolderListing(QString mask)
    : m_mask(std::move(mask))
{ }

void FolderListing::applyFilePath(const QString &text)
{
    if (enter(text))
        reread();
}

bool FolderListing::enter(const QString &text)
{
    if (text.isEmpty())
        return false;
    const std::unique_ptr<char, void (*)(void *)> resolved(
        ::realpath(QFile::encodeName(text).constData(), nullptr), &std::free);
    if (!resolved)
        throwUnreadable(text, errno);
    const QString folder = QFile::decodeName(resolved.get());
    if (folder == m_folder)
        return false;
    enterFolder(folder);
    m_folder = QDir::currentPath();
    return true;
}

void FolderListing::reread()
{
    reread([] { return true; });
}

bool FolderListing::reread(const std::function<bool()> &whileWaiting)
{
    const quint64 read = ++m_reads;
    m_names.clear();
    if (m_folder.isEmpty())
        return true;
    bool busy = false;
    const auto endBusy = qScopeGuard([&] {
        if (busy && m_busy.end)
            m_busy.end();
    });
    // Entering and opening stay on this thread: the current directory is the process's, and
    // their errors surface here as in any read.
    enterFolder(m_folder);
    const DirHandle dir = openCurrentFolder(m_folder);
    std::atomic<bool> stop(false);
    std::atomic<bool> hundredth(false);
    std::future<QStringList> names
        = std::async(std::launch::async, [&, folder = m_folder, mask = m_mask] {
              return matchingNames(dir.get(), folder, mask, stop, [&] { hundredth = true; });
          });
    // A read started from within `whileWaiting` stops this one at once. The future waits for
    // the read when it goes; an abandoned read stops at its next entry.
    if (m_runningRead)
        *m_runningRead = true;
    m_runningRead = &stop;
    const auto stopReading = qScopeGuard([&] {
        stop = true;
        if (m_runningRead == &stop)
            m_runningRead = nullptr;
    });
    const auto showBusy = [&] {
        if (!busy && hundredth) {
            busy = true;
            if (m_busy.begin)
                m_busy.begin();
        }
    };
    while (names.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
        showBusy();
        // A read started meanwhile, by another caller, owns the names now.
        if (!whileWaiting() || read != m_reads)
            return false;
    }
    showBusy();
    m_names = names.get();
    return true;
}

QString tilePath(const QString &folderText, const QString &name)
{
    return folderText + u'/' + name;
}

} // namespace quiltmap::sheet
