#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

namespace quiltmap::settings {

// The four numbers of a file version, as CMake stamps them into an executable.
struct FileVersion
{
    quint16 major = 0;
    quint16 minor = 0;
    quint16 release = 0;
    quint16 build = 0;
};

// "<major>.<minor> Build <build>"; the release number is not shown.
QString formatVersionText(const FileVersion &version);

// The version stamp of an ELF executable, or nothing when the file has none or cannot be read.
std::optional<FileVersion> readVersionStamp(const QString &executablePath);

// The version text of the running executable, empty when it carries no readable stamp.
QString GetVersionText();

} // namespace quiltmap::settings
