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

// The window's sheet options, in the order they are written.
inline constexpr SettingsKey kSheetBackground { u"Sheet", u"Background" };
inline constexpr SettingsKey kSheetSpacing { u"Sheet", u"Spacing" };
inline constexpr SettingsKey kSheetMargin { u"Sheet", u"Margin" };
inline constexpr SettingsKey kSheetOrder { u"Sheet", u"Order" };
inline constexpr SettingsKey kSheetCell { u"Sheet", u"Cell" };
inline constexpr SettingsKey kSheetAnyFormat { u"Sheet", u"AnyFormat" };
inline constexpr SettingsKey kSheetKeepGoing { u"Sheet", u"KeepGoing" };
inline constexpr SettingsKey kSheetData { u"Sheet", u"Data" };
inline constexpr SettingsKey kSheetGrid { u"Sheet", u"Grid" };

// Appended to the defaults folder (beside the executable, or the user's Pictures folder).
inline constexpr QStringView kDefaultSaveFolderName = u"QuiltPatches/";
inline constexpr QStringView kDefaultQuiltMapFolderName = u"QuiltMaps/";

} // namespace quiltmap::settings
