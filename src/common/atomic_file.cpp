#include "common/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
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

// Data written this far beyond what went to disk is sent on its way while the writer goes on.
constexpr qint64 writebackStep = qint64(4) << 20;

// Writes straight to the temporary file's descriptor. QSaveFile's own buffered writing loses the
// system's reason when a write stops part way ("Unknown error"), and a write that fails only when
// its buffer is flushed at commit goes unnoticed: the commit then replaces the old file with a
// truncated one. A large file starts going to disk as it is written, so that the sync before the
// commit waits only for its last part.
class DescriptorWriter : public QIODevice
{
public:
    explicit DescriptorWriter(int descriptor)
        : m_descriptor(descriptor)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }

    qint64 writeData(const char *data, qint64 size) override
    {
        qint64 done = 0;
        while (done < size) {
            const ssize_t written = ::write(m_descriptor, data + done, std::size_t(size - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0) {
                setErrorString(qt_error_string(written < 0 ? errno : EIO));
                return -1;
            }
            done += written;
        }
        m_written += done;
        if (m_written - m_writtenBack >= writebackStep) {
            // Only a hint: a failure to write back shows in the sync before the commit.
            ::sync_file_range(
                m_descriptor, m_writtenBack, m_written - m_writtenBack, SYNC_FILE_RANGE_WRITE);
            m_writtenBack = m_written;
        }
        return done;
    }

private:
    int m_descriptor;
    qint64 m_written = 0;
    qint64 m_writtenBack = 0;
};

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

bool refusesReplacement(const QString &path)
{
    const QFileInfo info(path);
    const auto refuses = [](const QString &entry) {
        return QFileInfo::exists(entry) && !takesWrites(entry);
    };
    return refuses(info.absoluteFilePath()) || refuses(info.absolutePath());
}

std::optional<QString> replaceFileContents(const QString &path,
    const std::function<bool(QIODevice &)> &write, SyncToDisk sync)
{
    // The commit writes the new file's data to disk before it takes the old one's place.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    DescriptorWriter writer(file.handle());
    const bool written = write(writer);
    // Space that the file system grants only on sync fails here too, before the commit.
    if (!written || sync(file.handle()) != 0) {
        const QString reason = written ? qt_error_string(errno) : writer.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    syncFolder(QFileInfo(path).absolutePath());
    return std::nullopt;
}

} // namespace quiltmap
