#include "settings/app_settings.h"
#include "settings/settings_location.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace quiltmap::settings {
namespace {

using test::TempDir;

struct LocationCase
{
    const char *name;
    bool folderTakesWrites;
    bool besideExists;
    bool besideTakesWrites;
    SettingsLocation expected;
};

class ChooseLocation : public testing::TestWithParam<LocationCase>
{
};

TEST_P(ChooseLocation, PortableOnlyWhereItCanWrite)
{
    const LocationCase &c = GetParam();
    const LocationFacts facts { QStringLiteral("/opt/q/"), c.folderTakesWrites, c.besideExists,
        c.besideTakesWrites, QStringLiteral("/home/ana/.config/CreateQuiltMap/"),
        QStringLiteral("/home/ana/Pictures/") };
    const SettingsLocation chosen = chooseSettingsLocation(facts);
    EXPECT_EQ(chosen.filePath, c.expected.filePath);
    EXPECT_EQ(chosen.presetPath, c.expected.presetPath);
    EXPECT_EQ(chosen.defaultsFolder, c.expected.defaultsFolder);
}

const SettingsLocation kPortable { QStringLiteral("/opt/q/CreateQuiltMap.ini"), QString(),
    QStringLiteral("/opt/q/") };
const SettingsLocation kUser { QStringLiteral(
                                   "/home/ana/.config/CreateQuiltMap/CreateQuiltMap.ini"),
    QString(), QStringLiteral("/home/ana/Pictures/") };
const SettingsLocation kUserWithPreset { kUser.filePath, kPortable.filePath, kUser.defaultsFolder };

INSTANTIATE_TEST_SUITE_P(Facts, ChooseLocation,
    testing::Values(LocationCase { "WritableFolder", true, false, false, kPortable },
        LocationCase { "WritableFolderAndReadOnlyFile", true, true, false, kPortable },
        LocationCase { "WritableFileInReadOnlyFolder", false, true, true, kPortable },
        LocationCase { "ReadOnlyFolder", false, false, false, kUser },
        LocationCase { "ReadOnlyFolderWithPreset", false, true, false, kUserWithPreset }),
    [](const auto &testCase) { return std::string(testCase.param.name); });

TEST(UserSettings, PresetStartsThenTheFirstSaveCreatesTheUsersFile)
{
    TempDir dir;
    const QString preset = dir.write(QStringLiteral("preset.ini"),
        "[Work]\nLastIconpath=/shared/icons\n[Options]\nTilesPerRow=8\n[Site]\nKeep=1\n");
    const QString configFolder = dir.path() + u"/config/CreateQuiltMap/";
    const AppSettings settings(
        SettingsLocation { configFolder + u"CreateQuiltMap.ini", preset, QStringLiteral("/p/") });

    EXPECT_EQ(settings.lastIconpath(), u"/shared/icons");
    EXPECT_EQ(settings.tilesPerRow(), u"8");
    EXPECT_EQ(settings.lastSavePath(), u"/p/QuiltPatches/");
    EXPECT_EQ(settings.quiltMapDir(), u"/p/QuiltMaps/");

    settings.save({ settings.lastIconpath(), QStringLiteral("9"), settings.lastSavePath(),
        settings.quiltMapDir(), {} });
    EXPECT_EQ(dir.read(QStringLiteral("config/CreateQuiltMap/CreateQuiltMap.ini")),
        "[Work]\nLastIconpath=/shared/icons\n[Options]\nTilesPerRow=9\n"
        "LastSavePath=/p/QuiltPatches/\nQuiltMapDir=/p/QuiltMaps/\n");
    // From now on the user's own file is read.
    EXPECT_EQ(settings.tilesPerRow(), u"9");
}

// The file beside the executable is judged on its own: a writable one in a read-only folder
// still takes writes.
TEST(UserSettings, ProbeFindsTheFilesAndTheUsersFolders)
{
    for (const bool fileTakesWrites : { false, true }) {
        TempDir dir;
        const QString exeFolder = dir.path() + u"/bin/";
        ASSERT_TRUE(QDir().mkpath(exeFolder));
        dir.write(QStringLiteral("bin/CreateQuiltMap.ini"), "[Options]\n");
        const auto readOnly
            = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
        QFile::setPermissions(exeFolder + u"CreateQuiltMap.ini",
            fileTakesWrites ? QFile::ReadOwner | QFile::WriteOwner : QFile::ReadOwner);
        QFile::setPermissions(exeFolder, readOnly);
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path() + u"/config"));

        const LocationFacts facts = probeLocationFacts(exeFolder);

        qputenv("XDG_CONFIG_HOME", oldConfig);
        QFile::setPermissions(exeFolder, readOnly | QFile::WriteOwner);
        EXPECT_FALSE(facts.executableFolderTakesWrites);
        EXPECT_TRUE(facts.besideFileExists);
        EXPECT_EQ(facts.besideFileTakesWrites, fileTakesWrites);
        EXPECT_EQ(facts.userConfigFolder, dir.path() + u"/config/CreateQuiltMap/");
        EXPECT_EQ(facts.picturesFolder, QDir::homePath() + u"/Pictures/");
    }
}

} // namespace
} // namespace quiltmap::settings
