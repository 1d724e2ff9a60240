#pragma once

#include "settings/profile_file.h"
#include "settings/settings_location.h"

#include <QString>

namespace quiltmap::settings {

// The texts the settings file keeps between runs, as the fields hold them.
struct StoredSettings
{
    QString lastIconpath;
    QString tilesPerRow;
    QString lastSavePath;
    QString quiltMapDir;
};

// The folder part of a file path, up to and including its last "/" (empty when it has none).
QString folderOf(const QString &filePath);

// The folder of the running executable with its trailing "/".
QString executableFolder();

// Typed access to the settings file "CreateQuiltMap.ini". Each getter reads the file anew (the
// preset while the file does not exist) and gives its default when the key is missing.
class AppSettings
{
public:
    explicit AppSettings(const SettingsLocation &location);
    // A portable copy: executableFolder ends with "/"; both folder defaults start with it.
    explicit AppSettings(const QString &executableFolder);

    // The full path of the settings file.
    const QString &filePath() const { return m_file.path(); }

    QString lastIconpath() const; // default empty
    QString tilesPerRow() const; // default "25"
    QString lastSavePath() const; // default <defaults folder>QuiltPatches/
    QString quiltMapDir() const; // default <defaults folder>QuiltMaps/

    // Creates the file's folder when it is missing, then writes LastIconpath, TilesPerRow,
    // LastSavePath and QuiltMapDir in this order, each write complete on disk before the next.
    // A refused write throws quiltmap::Error "In <path> kann nicht geschrieben werden"; the keys
    // written before it stay written and the rest are skipped.
    void save(const StoredSettings &values) const;

private:
    const ProfileFile &source() const;

    QString m_defaultsFolder;
    ProfileFile m_file;
    ProfileFile m_preset;
};

} // namespace quiltmap::settings
