#include "common/error.h"
#include "settings/app_settings.h"
#include "settings/settings_keys.h"
#include "support/temp_dir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace quiltmap::settings {
namespace {

using test::TempDir;

QString folderWithSlash(const TempDir &dir)
{
    return dir.path() + u'/';
}

QByteArray dataFile(const QString &name)
{
    QFile file(QStringLiteral(QUILTMAP_SETTINGS_TEST_DATA "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const StoredSettings kAnasSettings { QStringLiteral("/home/ana/icons/Äpfel"), QStringLiteral("12"),
    QStringLiteral("/home/ana/QuiltPatches/"), QStringLiteral("/home/ana/QuiltMaps/"), {} };

TEST(AppSettings, DefaultsWithoutFile)
{
    TempDir dir;
    const QString folder = folderWithSlash(dir);
    const AppSettings settings(folder);
    EXPECT_EQ(settings.filePath(), folder + u"CreateQuiltMap.ini");
    EXPECT_EQ(settings.lastIconpath(), QString());
    EXPECT_EQ(settings.tilesPerRow(), QStringLiteral("25"));
    EXPECT_EQ(settings.lastSavePath(), folder + u"QuiltPatches/");
    EXPECT_EQ(settings.quiltMapDir(), folder + u"QuiltMaps/");
}

TEST(AppSettings, FirstSaveOfTheDefaultsWritesSixLines)
{
    TempDir dir;
    const QString folder = folderWithSlash(dir);
    const AppSettings settings(folder);
    settings.save({ settings.lastIconpath(), settings.tilesPerRow(), settings.lastSavePath(),
        settings.quiltMapDir(), {} });
    EXPECT_EQ(dir.read(QStringLiteral("CreateQuiltMap.ini")),
        (u"[Work]\nLastIconpath=\n[Options]\nTilesPerRow=25\nLastSavePath=" + folder
            + u"QuiltPatches/\nQuiltMapDir=" + folder + u"QuiltMaps/\n")
            .toUtf8());
}

TEST(AppSettings, ReadsWhatItSavedAsText)
{
    TempDir dir;
    const AppSettings settings(folderWithSlash(dir));
    settings.save({ QStringLiteral("/icons"), QStringLiteral("abc"), QString(), QString(), {} });
    EXPECT_EQ(settings.lastIconpath(), QStringLiteral("/icons"));
    EXPECT_EQ(settings.tilesPerRow(), QStringLiteral("abc"));
    // Stored empty is not missing: no default comes back.
    EXPECT_EQ(settings.lastSavePath(), QString());
    EXPECT_EQ(settings.quiltMapDir(), QString());
}

class SettingsGoldenFile : public testing::TestWithParam<const char *>
{
};

// Saving over <case>.ini gives <case>.expected.ini, and saving again changes nothing.
TEST_P(SettingsGoldenFile, SaveGivesExpectedFile)
{
    const QString name = QString::fromLatin1(GetParam());
    TempDir dir;
    const QByteArray before = dataFile(name + u".ini");
    if (!before.isNull())
        dir.write(kSettingsFileName.toString(), before);
    const AppSettings settings(folderWithSlash(dir));
    const QByteArray expected = dataFile(name + u".expected.ini");
    ASSERT_FALSE(expected.isEmpty());
    for (int round = 0; round < 3; ++round) {
        settings.save(kAnasSettings);
        ASSERT_EQ(dir.read(kSettingsFileName.toString()), expected) << "round " << round;
    }
    EXPECT_EQ(settings.lastIconpath(), kAnasSettings.lastIconpath);
    EXPECT_EQ(settings.quiltMapDir(), kAnasSettings.quiltMapDir);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsGoldenFile,
    testing::Values("first_write", "hand_edited", "crlf_without_final_break", "utf16le", "cp1252",
        "duplicate_sections"),
    [](const auto &testCase) { return std::string(testCase.param); });

TEST(AppSettings, RefusedSaveKeepsTheKeysWrittenBeforeIt)
{
    TempDir dir;
    const QByteArray head = "[Work]\nLastIconpath=a\n[Options]\nTilesPerRow=1\n;";
    // Room for the first two keys only: the third would push the file past its size limit.
    const QByteArray full = head + QByteArray(kMaxProfileFileBytes - head.size() - 50, 'x') + '\n';
    dir.write(kSettingsFileName.toString(), full);
    const AppSettings settings(folderWithSlash(dir));
    try {
        settings.save({ QStringLiteral("b"), QStringLiteral("2"), QString(100, u'p'),
            QStringLiteral("d"), {} });
        FAIL() << "save was not refused";
    } catch (const Error &error) {
        EXPECT_EQ(
            error.message(), u"In " + settings.filePath() + u" kann nicht geschrieben werden");
    }
    const QByteArray after = dir.read(kSettingsFileName.toString());
    EXPECT_TRUE(after.startsWith("[Work]\nLastIconpath=b\n[Options]\nTilesPerRow=2\n;"));
    EXPECT_EQ(after.size(), full.size());
    EXPECT_EQ(settings.quiltMapDir(), folderWithSlash(dir) + u"QuiltMaps/");
}

TEST(AppSettings, SheetOptionsRoundTripAndResetToDefaults)
{
    TempDir dir;
    const AppSettings settings(folderWithSlash(dir));
    StoredSettings stored = kAnasSettings;
    stored.sheet = { { { 0x0a, 0xb0, 0xff }, false }, 3, 12, true, true, true, true,
        { QStringLiteral("csv"), QStringLiteral("json") }, true };
    settings.save(stored);
    EXPECT_TRUE(dir.read(kSettingsFileName.toString())
                    .endsWith("[Sheet]\nBackground=#0AB0FF\nSpacing=3\nMargin=12\nOrder=natural\n"
                              "Cell=largest\nAnyFormat=1\nKeepGoing=1\nData=csv,json\nGrid=1\n"));
    EXPECT_EQ(settings.sheet(), stored.sheet);
    stored.sheet.background.transparent = true;
    settings.save(stored);
    EXPECT_TRUE(settings.sheet().background.transparent);
    // Back to the defaults: the keys stay, holding them.
    stored.sheet = {};
    settings.save(stored);
    EXPECT_TRUE(dir.read(kSettingsFileName.toString())
                    .endsWith("[Sheet]\nBackground=white\nSpacing=0\nMargin=0\nOrder=name\n"
                              "Cell=first\nAnyFormat=0\nKeepGoing=0\nData=\nGrid=0\n"));
    EXPECT_EQ(settings.sheet(), SheetSettings());
}

TEST(AppSettings, BadSheetValuesGiveTheirDefaults)
{
    TempDir dir;
    dir.write(kSettingsFileName.toString(),
        "[Sheet]\nBackground=#12345\nSpacing=-1\nMargin=99999999999\nOrder=Natural\n"
        "Cell=big\nAnyFormat=yes\nKeepGoing=2\nData=json,gif\nGrid=\n");
    const AppSettings settings(folderWithSlash(dir));
    EXPECT_EQ(settings.sheet(), SheetSettings());
    dir.write(kSettingsFileName.toString(),
        "[Sheet]\nBackground=transparent\nMargin=+4\nData= json , tiled,phaser\nGrid=1\n");
    SheetSettings expected;
    expected.background.transparent = true;
    expected.data
        = QStringList { QStringLiteral("json"), QStringLiteral("tiled"), QStringLiteral("phaser") };
    expected.grid = true;
    EXPECT_EQ(settings.sheet(), expected);
}

TEST(AppSettings, ExecutableFolderIsTheFolderOfThisProgram)
{
    const QString folder = executableFolder();
    EXPECT_TRUE(folder.endsWith(u'/'));
    EXPECT_TRUE(QFile::exists(folder + u"settings_test"));
}

TEST(AppSettings, FolderOfKeepsTheLastSlash)
{
    EXPECT_EQ(folderOf(QStringLiteral("/opt/q/CreateQuiltMap")), QStringLiteral("/opt/q/"));
    EXPECT_EQ(folderOf(QStringLiteral("/CreateQuiltMap")), QStringLiteral("/"));
    EXPECT_EQ(folderOf(QStringLiteral("CreateQuiltMap")), QString());
}

} // namespace
} // namespace quiltmap::settings
