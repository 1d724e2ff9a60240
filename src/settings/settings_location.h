#pragma once

#include <QString>

namespace quiltmap::settings {

// What the choice of the settings file depends on, found on disk at start.
struct LocationFacts
{
    // The folder of the running executable, ending with "/".
    QString executableFolder;
    bool executableFolderTakesWrites = false;
    // About "CreateQuiltMap.ini" in the executable's folder.
    bool besideFileExists = false;
    bool besideFileTakesWrites = false;
    // This application's folder in the user's configuration folder, ending with "/".
    QString userConfigFolder;
    // The user's Pictures folder, ending with "/".
    QString picturesFolder;
};

// Where the settings are read and written.
struct SettingsLocation
{
    // The settings file that every write replaces.
    QString filePath;
    // Read instead of filePath while that does not exist yet; empty when there is none.
    QString presetPath;
    // The folder that "QuiltPatches/" and "QuiltMaps/" are appended to, ending with "/".
    QString defaultsFolder;
};

// A portable copy keeps the file and the default folders beside the executable.
SettingsLocation portableLocation(const QString &executableFolder);

// A portable copy when its folder or its settings file there takes writes; otherwise an
// installed copy: the file lives in the user's configuration folder, the default folders in the
// user's Pictures folder, and a settings file beside the executable gives the starting values.
SettingsLocation chooseSettingsLocation(const LocationFacts &facts);

// The facts for an executable in `executableFolder`: its folder and settings file on disk, and
// the user's folders from the XDG settings ($XDG_CONFIG_HOME, default ~/.config).
LocationFacts probeLocationFacts(const QString &executableFolder);

} // namespace quiltmap::settings
