#include "settings/profile_file.h"

#include "common/atomic_file.h"
#include "common/error.h"
#include "settings/profile_encoding.h"
#include "settings/profile_text.h"

#include <QFile>
#include <QFileInfo>
#include <optional>

namespace quiltmap::settings {
namespace {

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
    return readValue(section, key).value_or(defaultValue);
}

std::optional<QString> ProfileFile::readValue(QStringView section, QStringView key) const
{
    const std::optional<QByteArray> bytes = readLimited(m_path);
    if (!bytes)
        return std::nullopt;
    return findProfileValue(decodeProfile(*bytes).text, section, key);
}

void ProfileFile::writeString(QStringView section, QStringView key, QStringView value) const
{
    const QFileInfo info(m_path);
    // A link is followed: the file it names is the one replaced.
    const QString target = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    if (refusesReplacement(target))
        refuseWrite(m_path);
    DecodedProfile current;
    if (info.exists()) {
        const std::optional<QByteArray> bytes = readLimited(target);
        if (!bytes)
            refuseWrite(m_path);
        current = decodeProfile(*bytes);
    }
    const QByteArray updated
        = encodeProfile(withProfileValue(current.text, section, key, value), current.encoding);
    if (updated.size() > kMaxProfileFileBytes || replaceFileContents(target, [&](QIODevice &out) {
            return out.write(updated) == updated.size();
        }))
        refuseWrite(m_path);
}

} // namespace quiltmap::settings
