#pragma once

#include "settings/profile_file.h"
#include "settings/settings_location.h"
#include "sheet/sheet_background.h"

#include <QString>
#include <QStringList>

namespace quiltmap::settings {

// The data files a sheet can have beside it, in the order they are listed.
inline const QStringList kDataFormatNames { QStringLiteral("json"), QStringLiteral("csv"),
    QStringLiteral("phaser"), QStringLiteral("tiled") };

// How the window makes its sheet beyond its size fields; the defaults give the window's own
// sheet and preview.
struct SheetSettings
{
    sheet::SheetBackground background;
    int spacing = 0;
    int margin = 0;
    bool naturalOrder = false;
    // The cell takes the largest width and height among the files instead of the first file's.
    bool largestCell = false;
    bool anyFormat = false;
    bool keepGoing = false;
    // Names of kDataFormatNames, each once.
    QStringList data;
    bool grid = false;

    bool operator==(const SheetSettings &) const = default;
};

// The settings file keeps between runs the texts as the fields hold them, and the sheet options.
struct StoredSettings
{
    QString lastIconpath;
    QString tilesPerRow;
    QString lastSavePath;
    QString quiltMapDir;
    SheetSettings sheet;
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
    // Each key of [Sheet] that is missing or holds a value it cannot take gives its default.
    SheetSettings sheet() const;

    // Creates the file's folder when it is missing, then writes LastIconpath, TilesPerRow,
    // LastSavePath and QuiltMapDir in this order, each write complete on disk before the next,
    // and after them the keys of [Sheet] that differ from their default or are in the file
    // already, so that a file of a user who never set them stays as it was.
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
