#include "cli/cli_run.h"
#include "png_builder/png_builder.h"
#include "sheet/composition.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QTextStream>
#include <gtest/gtest.h>

namespace quiltmap::cli {
namespace {

using namespace Qt::StringLiterals;

QByteArray greyPng(int width, int height)
{
    pngbuilder::PngRecipe recipe;
    recipe.width = std::uint32_t(width);
    recipe.height = std::uint32_t(height);
    recipe.colourType = 0;
    recipe.samples.assign(std::size_t(width) * std::size_t(height), 0x40);
    const std::vector<std::uint8_t> bytes = pngbuilder::buildPng(recipe);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

// Runs the command from the temporary folder and keeps what it printed; the process goes back
// to where it was afterwards, as the command leaves it in the listed folder.
class CliTest : public testing::Test
{
protected:
    CliTest() { QDir::setCurrent(dir.path()); }
    ~CliTest() override { QDir::setCurrent(m_start); }

    int run(const QStringList &arguments, bool terminal = false)
    {
        out.clear();
        err.clear();
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        return runCli(arguments, { outStream, errStream, terminal });
    }

    void makeTiles(const QStringList &names, int side = 32) const
    {
        QDir(dir.path()).mkpath(u"tiles"_s);
        for (const QString &name : names)
            dir.write(u"tiles/"_s + name, greyPng(side, side));
    }

    test::TempDir dir;
    QString out;
    QString err;

private:
    QString m_start = QDir::currentPath();
};

TEST_F(CliTest, ComposesTheFolderIntoSheetAndNameList)
{
    makeTiles({ u"b.png"_s, u"A.png"_s, u"c.PNG"_s });
    ASSERT_EQ(run({ u"tiles"_s }), ExitSuccess) << err.toStdString();
    EXPECT_EQ(out, u"width 800, height 32, images 3, per row 25, rows 1\n"_s);
    EXPECT_EQ(err, QString());
    EXPECT_EQ(sheet::readTileSize(dir.filePath(u"QuiltMap.png"_s)), QSize(800, 32));
    EXPECT_EQ(dir.read(u"QuiltMap.txt"_s), QByteArray("A\r\nb\r\nc\r\n"));
}

TEST_F(CliTest, TakesCellColumnsAndOutputFromTheOptions)
{
    makeTiles({ u"a.png"_s, u"b.png"_s, u"c.png"_s });
    QDir(dir.path()).mkpath(u"out"_s);
    ASSERT_EQ(run({ u"--cell"_s, u"16x20"_s, u"--columns=2"_s, u"--output"_s, u"out/sheet.old"_s,
                  u"--quiet"_s, dir.filePath(u"tiles"_s) }),
        ExitSuccess)
        << err.toStdString();
    EXPECT_EQ(out, QString());
    EXPECT_EQ(sheet::readTileSize(dir.filePath(u"out/sheet.png"_s)), QSize(32, 40));
    EXPECT_TRUE(QFile::exists(dir.filePath(u"out/sheet.txt"_s)));
    // The short forms, a value glued to its letter included.
    ASSERT_EQ(run({ u"-c16x20"_s, u"-n"_s, u"3"_s, u"-o"_s, dir.filePath(u"out/short"_s), u"-q"_s,
                  dir.filePath(u"tiles"_s) }),
        ExitSuccess);
    EXPECT_EQ(out, QString());
    EXPECT_EQ(sheet::readTileSize(dir.filePath(u"out/short.png"_s)), QSize(48, 20));
}

TEST_F(CliTest, ColumnsTextFollowsTheFieldRules)
{
    makeTiles({ u"a.png"_s, u"b.png"_s, u"c.png"_s });
    ASSERT_EQ(run({ u"--columns"_s, u" 0 "_s, u"tiles"_s }), ExitSuccess);
    EXPECT_EQ(out, u"width 800, height 32, images 3, per row 25, rows 1\n"_s);
    ASSERT_EQ(run({ u"--columns"_s, u"2x"_s, u"../tiles"_s }), ExitSuccess);
    EXPECT_EQ(out, u"width 64, height 64, images 3, per row 2, rows 2\n"_s);
    EXPECT_EQ(run({ u"--columns"_s, u"00"_s, u"../tiles"_s }), ExitFailure);
    EXPECT_EQ(err, u"quiltmap: Division durch Null\n"_s);
}

TEST_F(CliTest, EmptyFolderGivesAWhiteRowAndTheNotice)
{
    QDir(dir.path()).mkpath(u"empty"_s);
    ASSERT_EQ(run({ u"empty"_s }), ExitSuccess);
    EXPECT_EQ(err, u"I need files to operate :-)\n"_s);
    EXPECT_EQ(out, u"width 1200, height 48, images 0, per row 25, rows 0\n"_s);
    EXPECT_EQ(sheet::readTileSize(dir.filePath(u"QuiltMap.png"_s)), QSize(1200, 48));
    EXPECT_EQ(dir.read(u"QuiltMap.txt"_s), QByteArray());
}

TEST_F(CliTest, FailuresGoToStandardErrorWithStatusOne)
{
    EXPECT_EQ(run({ u"missing"_s }), ExitFailure);
    EXPECT_EQ(err, u"quiltmap: missing: no such folder\n"_s);

    makeTiles({ u"b.png"_s });
    dir.write(u"tiles/a.bmp"_s, "BM not a png");
    EXPECT_EQ(run({ u"tiles/b.png"_s }), ExitFailure);
    EXPECT_EQ(err, u"quiltmap: tiles/b.png: not a folder\n"_s);
    EXPECT_EQ(run({ u"tiles"_s }), ExitFailure);
    EXPECT_TRUE(err.startsWith(
        u"quiltmap: tiles/a.bmp: Die gerade gelesene Datei ist kein gültiges PNG-Bild"_s))
        << err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(u"QuiltMap.png"_s)));

    // With a cell size given, composition reaches the .bmp file and stops there.
    EXPECT_EQ(run({ u"-c"_s, u"32x32"_s, u"../tiles"_s }), ExitFailure);
    EXPECT_TRUE(err.startsWith(u"quiltmap: ../tiles/a.bmp: Die gerade gelesene Datei"_s));
}

TEST_F(CliTest, UsageErrorsGiveStatusTwo)
{
    for (const QStringList &arguments : { QStringList {}, QStringList { u"a"_s, u"b"_s },
             QStringList { u"--bogus"_s, u"a"_s }, QStringList { u"--cell"_s, u"48"_s, u"a"_s },
             QStringList { u"a"_s, u"--columns"_s } }) {
        EXPECT_EQ(run(arguments), ExitUsage) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(err.contains(u"Usage: quiltmap"_s));
        EXPECT_EQ(out, QString());
    }
}

TEST_F(CliTest, HelpAndVersionPrintToStandardOutput)
{
    for (const QString &help : { u"--help"_s, u"-h"_s }) {
        EXPECT_EQ(run({ help }), ExitSuccess);
        EXPECT_TRUE(out.startsWith(u"Usage: quiltmap"_s));
    }
    for (const QString &version : { u"--version"_s, u"-V"_s }) {
        EXPECT_EQ(run({ version }), ExitSuccess);
        EXPECT_TRUE(out.startsWith(u"quiltmap "_s));
    }
}

TEST_F(CliTest, DrawsProgressOnlyOnATerminal)
{
    makeTiles({ u"a.png"_s, u"b.png"_s });
    ASSERT_EQ(run({ u"tiles"_s }, true), ExitSuccess);
    EXPECT_TRUE(err.contains(u"] 1/2"_s)) << err.toStdString();
    EXPECT_TRUE(err.endsWith(u"\r\x1b[K"_s));
    ASSERT_EQ(run({ u"--quiet"_s, u"../tiles"_s }, true), ExitSuccess);
    EXPECT_EQ(err, QString());
}

} // namespace
} // namespace quiltmap::cli
