#include "settings/profile_file.h"

#include "common/error.h"
#include "settings/profile_encoding.h"
#include "settings/profile_text.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quiltmap::settings {
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

// Whether the permission bits allow writing, even for root, whom the system would let write
// anyway: a file or folder made read-only refuses the settings for everyone. access() adds
// read-only file systems and access lists.
bool writableByMode(const QString &path)
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

// The bytes of a regular file of at most kMaxProfileFileBytes; nothing for anything else.
std::optional<QByteArray> readLimited(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(kMaxProfileFileBytes + 1);
    if (bytes.size() > kMaxProfileFileBytes || file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

// Makes the rename that replaced a file of the folder durable too.
void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool replaceAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()
        || ::fsync(file.handle()) != 0)
        return false;
    return file.commit();
}

[[noreturn]] void refuseWrite(const QString &path)
{
    throw Error(QStringLiteral("In %1 kann nicht geschrieben werden").arg(path));
}

} // namespace

ProfileFile::ProfileFile(QString path)
    : m_path(std::move(path))
{ }

QString ProfileFile::readString(
    QStringView section, QStringView key, const QString &defaultValue) const
{
    const std::optional<QByteArray> bytes = readLimited(m_path);
    if (!bytes)
        return defaultValue;
    return findProfileValue(decodeProfile(*bytes).text, section, key).value_or(defaultValue);
}

void ProfileFile::writeString(QStringView section, QStringView key, QStringView value) const
{
    const QFileInfo info(m_path);
    // A link is followed: the file it names is the one replaced.
    const QString target = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    const QString folder = QFileInfo(target).absolutePath();
    DecodedProfile current;
    if (info.exists()) {
        const std::optional<QByteArray> bytes = readLimited(target);
        if (!bytes || !writableByMode(target))
            refuseWrite(m_path);
        current = decodeProfile(*bytes);
    }
    if (!writableByMode(folder))
        refuseWrite(m_path);
    const QByteArray updated
        = encodeProfile(withProfileValue(current.text, section, key, value), current.encoding);
    if (updated.size() > kMaxProfileFileBytes || !replaceAtomically(target, updated))
        refuseWrite(m_path);
    syncFolder(folder);
}

} // namespace quiltmap::settings
