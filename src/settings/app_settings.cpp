#include "settings/app_settings.h"

#include "settings/settings_keys.h"

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

AppSettings::AppSettings(const QString &executableFolder)
    : m_executableFolder(executableFolder)
    , m_file(executableFolder + kSettingsFileName)
{ }

QString AppSettings::lastIconpath() const
{
    return m_file.readString(kLastIconpath.section, kLastIconpath.name, QString());
}

QString AppSettings::tilesPerRow() const
{
    return m_file.readString(
        kTilesPerRow.section, kTilesPerRow.name, kDefaultTilesPerRow.toString());
}

QString AppSettings::lastSavePath() const
{
    return m_file.readString(
        kLastSavePath.section, kLastSavePath.name, m_executableFolder + kDefaultSaveFolderName);
}

QString AppSettings::quiltMapDir() const
{
    return m_file.readString(
        kQuiltMapDir.section, kQuiltMapDir.name, m_executableFolder + kDefaultQuiltMapFolderName);
}

void AppSettings::save(const StoredSettings &values) const
{
    m_file.writeString(kLastIconpath.section, kLastIconpath.name, values.lastIconpath);
    m_file.writeString(kTilesPerRow.section, kTilesPerRow.name, values.tilesPerRow);
    m_file.writeString(kLastSavePath.section, kLastSavePath.name, values.lastSavePath);
    m_file.writeString(kQuiltMapDir.section, kQuiltMapDir.name, values.quiltMapDir);
}

} // namespace quiltmap::settings
