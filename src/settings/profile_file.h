#pragma once

#include <QString>
#include <optional>

namespace quiltmap::settings {

// Larger files are not read (every read gives its default) and not written.
inline constexpr qint64 kMaxProfileFileBytes = 4 * 1024 * 1024;

// A settings file in the INI format, named by its full path. Holds no state besides the path:
// every read reads the file, every write replaces it.
class ProfileFile
{
public:
    explicit ProfileFile(QString path);

    const QString &path() const { return m_path; }

    // Never fails: a missing or unreadable file, section or key gives the default.
    QString readString(QStringView section, QStringView key, const QString &defaultValue) const;
    // The key's value, or nothing when the file, section or key is missing or unreadable.
    std::optional<QString> readValue(QStringView section, QStringView key) const;

    // Sets one key and replaces the file atomically (a temporary file in the same folder, synced,
    // then renamed over it), creating the file when it is missing. Throws quiltmap::Error
    // "In <path> kann nicht geschrieben werden" when the file or its folder refuses the write;
    // the file is then left as it was.
    void writeString(QStringView section, QStringView key, QStringView value) const;

private:
    QString m_path;
};

} // namespace quiltmap::settings
