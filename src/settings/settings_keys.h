#pragma once

#include <QStringView>

namespace quiltmap::settings {

// The settings file and every key it holds.
inline constexpr QStringView kSettingsFileName = u"CreateQuiltMap.ini";
// The application's folder inside the user's configuration folder.
inline constexpr QStringView kUserConfigFolderName = u"CreateQuiltMap";

struct SettingsKey
{
    QStringView section;
    QStringView name;
};

inline constexpr SettingsKey kLastIconpath { u"Work", u"LastIconpath" };
inline constexpr SettingsKey kTilesPerRow { u"Options", u"TilesPerRow" };
inline constexpr SettingsKey kLastSavePath { u"Options", u"LastSavePath" };
inline constexpr SettingsKey kQuiltMapDir { u"Options", u"QuiltMapDir" };

// Appended to the defaults folder (beside the executable, or the user's Pictures folder).
inline constexpr QStringView kDefaultSaveFolderName = u"QuiltPatches/";
inline constexpr QStringView kDefaultQuiltMapFolderName = u"QuiltMaps/";

} // namespace quiltmap::settings
