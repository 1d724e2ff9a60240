#include "settings/app_settings.h"

#include "common/sheet_defaults.h"
#include "settings/settings_keys.h"

#include <QDir>
#include <QFile>

namespace quiltmap::settings {

QString folderOf(const QString &filePath)
{
    return filePath.first(filePath.lastIndexOf(u'/') + 1);
}

QString executableFolder()
{
    return folderOf(QFile::symLinkTarget(QStringLiteral("/proc/self/exe")));
}

AppSettings::AppSettings(const SettingsLocation &location)
    : m_defaultsFolder(location.defaultsFolder)
    , m_file(location.filePath)
    , m_preset(location.presetPath)
{ }

AppSettings::AppSettings(const QString &executableFolder)
    : AppSettings(portableLocation(executableFolder))
{ }

const ProfileFile &AppSettings::source() const
{
    return m_preset.path().isEmpty() || QFile::exists(m_file.path()) ? m_file : m_preset;
}

QString AppSettings::lastIconpath() const
{
    return source().readString(kLastIconpath.section, kLastIconpath.name, QString());
}

QString AppSettings::tilesPerRow() const
{
    return source().readString(
        kTilesPerRow.section, kTilesPerRow.name, QString::number(defaultTilesPerRow));
}

QString AppSettings::lastSavePath() const
{
    return source().readString(
        kLastSavePath.section, kLastSavePath.name, m_defaultsFolder + kDefaultSaveFolderName);
}

QString AppSettings::quiltMapDir() const
{
    return source().readString(
        kQuiltMapDir.section, kQuiltMapDir.name, m_defaultsFolder + kDefaultQuiltMapFolderName);
}

void AppSettings::save(const StoredSettings &values) const
{
    // A folder that cannot be made shows as the refused write of the first key.
    QDir().mkpath(folderOf(m_file.path()));
    m_file.writeString(kLastIconpath.section, kLastIconpath.name, values.lastIconpath);
    m_file.writeString(kTilesPerRow.section, kTilesPerRow.name, values.tilesPerRow);
    m_file.writeString(kLastSavePath.section, kLastSavePath.name, values.lastSavePath);
    m_file.writeString(kQuiltMapDir.section, kQuiltMapDir.name, values.quiltMapDir);
}

} // namespace quiltmap::settings
