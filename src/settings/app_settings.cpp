#include "settings/app_settings.h"

#include "common/sheet_defaults.h"
#include "settings/settings_keys.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <optional>

namespace quiltmap::settings {
namespace {

QString flagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

std::optional<bool> parseFlag(QStringView text)
{
    if (text == u"0" || text == u"1")
        return text == u"1";
    return std::nullopt;
}

// A number of pixels from 0 up in decimal digits.
std::optional<int> parsePixels(QStringView text)
{
    if (text.isEmpty()
        || !std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

QString backgroundSetting(const sheet::SheetBackground &background)
{
    return background == sheet::SheetBackground() ? QStringLiteral("white")
                                                  : sheet::backgroundText(background);
}

// Known names, each once, separated by commas; the empty text is the empty list.
std::optional<QStringList> parseDataFormats(const QString &text)
{
    QStringList names;
    for (const QString &part : text.split(u',', Qt::SkipEmptyParts)) {
        const QString name = part.trimmed();
        if (!kDataFormatNames.contains(name) || names.contains(name))
            return std::nullopt;
        names.append(name);
    }
    return names;
}

// The [Sheet] keys with their texts, in the order they are written.
QList<std::pair<SettingsKey, QString>> sheetTexts(const SheetSettings &values)
{
    return {
        { kSheetBackground, backgroundSetting(values.background) },
        { kSheetSpacing, QString::number(values.spacing) },
        { kSheetMargin, QString::number(values.margin) },
        { kSheetOrder, values.naturalOrder ? QStringLiteral("natural") : QStringLiteral("name") },
        { kSheetCell, values.largestCell ? QStringLiteral("largest") : QStringLiteral("first") },
        { kSheetAnyFormat, flagText(values.anyFormat) },
        { kSheetKeepGoing, flagText(values.keepGoing) },
        { kSheetData, values.data.join(u',') },
        { kSheetGrid, flagText(values.grid) },
    };
}

} // namespace

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

SheetSettings AppSettings::sheet() const
{
    SheetSettings result;
    const ProfileFile &file = source();
    // The key's text when it is there; a value that does not parse leaves the default.
    const auto read = [&](const SettingsKey &key) {
        return file.readValue(key.section, key.name).value_or(QString());
    };
    if (const auto background = sheet::parseBackground(read(kSheetBackground)))
        result.background = *background;
    result.spacing = parsePixels(read(kSheetSpacing)).value_or(result.spacing);
    result.margin = parsePixels(read(kSheetMargin)).value_or(result.margin);
    result.naturalOrder = read(kSheetOrder) == u"natural";
    result.largestCell = read(kSheetCell) == u"largest";
    result.anyFormat = parseFlag(read(kSheetAnyFormat)).value_or(false);
    result.keepGoing = parseFlag(read(kSheetKeepGoing)).value_or(false);
    result.data = parseDataFormats(read(kSheetData)).value_or(QStringList());
    result.grid = parseFlag(read(kSheetGrid)).value_or(false);
    return result;
}

void AppSettings::save(const StoredSettings &values) const
{
    // A folder that cannot be made shows as the refused write of the first key.
    QDir().mkpath(folderOf(m_file.path()));
    m_file.writeString(kLastIconpath.section, kLastIconpath.name, values.lastIconpath);
    m_file.writeString(kTilesPerRow.section, kTilesPerRow.name, values.tilesPerRow);
    m_file.writeString(kLastSavePath.section, kLastSavePath.name, values.lastSavePath);
    m_file.writeString(kQuiltMapDir.section, kQuiltMapDir.name, values.quiltMapDir);
    const auto texts = sheetTexts(values.sheet);
    const auto defaults = sheetTexts({});
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const auto &[key, text] = texts[i];
        if (text != defaults[i].second || m_file.readValue(key.section, key.name))
            m_file.writeString(key.section, key.name, text);
    }
}

} // namespace quiltmap::settings
