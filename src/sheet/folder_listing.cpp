#include "sheet/folder_listing.h"

#include "common/error.h"
#include "sheet/name_order.h"
#include "sheet/wildcard.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
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

// The names of the current directory's entries that can be listed at all: regular files
// whose names do not start with ".", in the order the file system delivers them.
QStringList listableEntries(const QString &folder)
{
    const std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir("."), &::closedir);
    if (!dir)
        throwUnreadable(folder, errno);
    QStringList names;
    errno = 0;
    while (const dirent *entry = ::readdir(dir.get())) {
        if (entry->d_name[0] != '.' && isRegularFile(dir.get(), *entry))
            names.append(QFile::decodeName(entry->d_name));
        errno = 0;
    }
    if (errno != 0)
        throwUnreadable(folder, errno);
    return names;
}

} // namespace

FolderListing::FolderListing(QString mask)
    : m_mask(std::move(mask))
{ }

void FolderListing::applyFilePath(const QString &text)
{
    if (text.isEmpty())
        return;
    const std::unique_ptr<char, void (*)(void *)> resolved(
        ::realpath(QFile::encodeName(text).constData(), nullptr), &std::free);
    if (!resolved)
        throwUnreadable(text, errno);
    const QString folder = QFile::decodeName(resolved.get());
    if (folder == m_folder)
        return;
    enterFolder(folder);
    m_folder = QDir::currentPath();
    reread();
}

void FolderListing::reread()
{
    m_names.clear();
    if (m_folder.isEmpty())
        return;
    bool busy = false;
    const auto endBusy = qScopeGuard([&] {
        if (busy && m_busy.end)
            m_busy.end();
    });
    enterFolder(m_folder);
    const QStringList entries = listableEntries(m_folder);
    NameOrder order;
    for (const QString &pattern : m_mask.split(u';')) {
        for (const QString &entry : entries) {
            if (matchesWildcard(pattern, entry) && order.insert(entry) == 100 && !busy) {
                busy = true;
                if (m_busy.begin)
                    m_busy.begin();
            }
        }
    }
    m_names = order.takeNames();
}

QString tilePath(const QString &folderText, const QString &name)
{
    return folderText + u'/' + name;
}

QStringList tilePaths(const QString &folderText, const QStringList &names)
{
    QStringList paths;
    paths.reserve(names.size());
    for (const QString &name : names)
        paths.append(tilePath(folderText, name));
    return paths;
}

} // namespace quiltmap::sheet
