#include "common/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quiltmap {
namespace {

bool inGroup(gid_t group)
{
    if (group == getegid())
        return true;
    const int count = getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    const int filled = getgroups(count, groups.data());
    return filled > 0
        && std::find(groups.begin(), groups.begin() + filled, group) != groups.begin() + filled;
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool takesWrites(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat status
    {
    };
    if (::stat(native.constData(), &status) != 0 || ::access(native.constData(), W_OK) != 0)
        return false;
    const mode_t bit = status.st_uid == geteuid() ? S_IWUSR
        : inGroup(status.st_gid)                  ? S_IWGRP
                                                  : S_IWOTH;
    return (status.st_mode & bit) != 0;
}

std::optional<QString> replaceFileContents(
    const QString &path, const std::function<bool(QIODevice &)> &write)
{
    // The commit writes the new file's data to disk before it takes the old one's place.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (!write(file)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    syncFolder(QFileInfo(path).absolutePath());
    return std::nullopt;
}

} // namespace quiltmap
