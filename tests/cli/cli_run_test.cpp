#include "cli/cli_run.h"
#include "png_builder/png_builder.h"
#include "sheet/composition.h"
#include "sheet/png_reader.h"
#include "support/temp_dir.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QScopeGuard>
#include <QTextStream>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <thread>
#include <unistd.h>

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

// A tile of one colour; an alpha below 255 gives an RGBA file, otherwise an RGB one.
QByteArray colourPng(int width, int height, std::array<std::uint8_t, 4> rgba)
{
    pngbuilder::PngRecipe recipe;
    recipe.width = std::uint32_t(width);
    recipe.height = std::uint32_t(height);
    const int channels = rgba[3] == 255 ? 3 : 4;
    recipe.colourType = channels == 3 ? 2 : 6;
    for (int i = 0; i < width * height * channels; ++i)
        recipe.samples.push_back(rgba[std::size_t(i % channels)]);
    const std::vector<std::uint8_t> bytes = pngbuilder::buildPng(recipe);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

using Rgba = std::array<std::uint8_t, 4>;

// The pixel of a decoded sheet, alpha 255 for an opaque one.
Rgba pixelAt(const sheet::Tile &sheet, int x, int y)
{
    const std::uint8_t *p = sheet.row(y) + std::size_t(x) * std::size_t(sheet.channels());
    return { p[0], p[1], p[2], sheet.channels() == 4 ? p[3] : std::uint8_t(255) };
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

    sheet::Tile sheetImage(const QString &name = u"QuiltMap.png"_s) const
    {
        return sheet::readPngFile(dir.filePath(name));
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

// On a full file system the system's reason reaches the message, and the previous sheet and name
// list stay as they were.
TEST_F(CliTest, FullDiskGivesItsReasonAndKeepsThePreviousFiles)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting a small tmpfs as a full disk needs root";
    const QString disk = dir.filePath(u"disk"_s);
    QDir().mkpath(disk);
    const QByteArray mountPoint = QFile::encodeName(disk);
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "no tmpfs could be mounted: " << std::strerror(errno);
    const auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });

    makeTiles({ u"a.png"_s, u"b.png"_s }, 16);
    ASSERT_EQ(run({ u"-q"_s, u"-o"_s, disk + u"/sheet"_s, dir.filePath(u"tiles"_s) }), ExitSuccess);
    const QByteArray png = dir.read(u"disk/sheet.png"_s);
    const QByteArray names = dir.read(u"disk/sheet.txt"_s);
    QFile filler(disk + u"/filler"_s);
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    while (filler.write(QByteArray(4096, 'f')) > 0) { }
    filler.close();

    EXPECT_EQ(run({ u"-q"_s, u"-o"_s, disk + u"/sheet"_s, dir.filePath(u"tiles"_s) }), ExitFailure);
    EXPECT_EQ(err,
        u"quiltmap: Datei \""_s + disk
            + u"/sheet.png\" kann nicht erstellt werden. No space left on device\n"_s);
    EXPECT_EQ(dir.read(u"disk/sheet.png"_s), png);
    EXPECT_EQ(dir.read(u"disk/sheet.txt"_s), names);
    EXPECT_EQ(QDir(disk).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

// With several threads the image is written while the tiles are drawn: a tile failing part way
// leaves no image, and one passed over gives the same file as on one thread.
TEST_F(CliTest, ATileFailingWhileTheImageIsWrittenLeavesNoImage)
{
    QStringList names;
    for (int i = 0; i < 60; ++i)
        names.append(u"t%1.png"_s.arg(i, 2, 10, QChar(u'0')));
    makeTiles(names);
    dir.write(u"tiles/t45.png"_s, "not a png");
    const QString tiles = dir.filePath(u"tiles"_s);
    for (const QString &threads : { u"--threads=1"_s, u"--threads=3"_s }) {
        EXPECT_EQ(run({ u"-c32x32"_s, u"-n5"_s, threads, u"-o"_s, dir.filePath(u"out"_s), tiles }),
            ExitFailure);
        EXPECT_TRUE(err.contains(u"t45.png"_s)) << err.toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath(u"out.png"_s))) << threads.toStdString();
        EXPECT_EQ(run({ u"-c32x32"_s, u"-n5"_s, u"--keep-going"_s, threads, u"-o"_s,
                      dir.filePath(threads.right(1)), tiles }),
            ExitSkippedFiles);
    }
    EXPECT_EQ(dir.read(u"1.png"_s), dir.read(u"3.png"_s));
}

TEST_F(CliTest, UsageErrorsGiveStatusTwo)
{
    for (const QStringList &arguments : { QStringList {}, QStringList { u"a"_s, u"b"_s },
             QStringList { u"--bogus"_s, u"a"_s }, QStringList { u"--cell"_s, u"48"_s, u"a"_s },
             QStringList { u"a"_s, u"--columns"_s }, QStringList { u"--spacing=-1"_s, u"a"_s },
             QStringList { u"--margin=x"_s, u"a"_s }, QStringList { u"--max-size=0"_s, u"a"_s },
             QStringList { u"--background=#12345"_s, u"a"_s },
             QStringList { u"--background=black"_s, u"a"_s },
             QStringList { u"--background=#0x1234"_s, u"a"_s },
             QStringList { u"--order=reverse"_s, u"a"_s }, QStringList { u"--data=xml"_s, u"a"_s },
             QStringList { u"--threads=0"_s, u"a"_s } }) {
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

namespace quiltmap::cli {
namespace {

struct LayoutCase
{
    int columns;
    int spacing;
    int margin;
    int tiles;
};

// Cells of 4 x 3 pixels; cell i lies at margin + column (4 + spacing), margin + row (3 + spacing),
// and the sheet is 2 margin + columns 4 + (columns - 1) spacing wide, the same for rows.
TEST_F(CliTest, SpacingAndMarginPlaceCellsAsLayoutEnginesExpect)
{
    const Rgba background { 0x12, 0xAB, 0xEF, 255 };
    for (const LayoutCase c :
        { LayoutCase { 3, 0, 0, 5 }, LayoutCase { 3, 2, 0, 5 }, LayoutCase { 3, 0, 1, 5 },
            LayoutCase { 2, 3, 4, 4 }, LayoutCase { 4, 5, 2, 1 }, LayoutCase { 2, 1, 1, 0 } }) {
        SCOPED_TRACE(testing::Message() << c.columns << " columns, spacing " << c.spacing
                                        << ", margin " << c.margin << ", " << c.tiles << " tiles");
        const QString folder = dir.filePath(
            u"layout%1%2%3%4"_s.arg(c.columns).arg(c.spacing).arg(c.margin).arg(c.tiles));
        QDir().mkpath(folder);
        for (int i = 0; i < c.tiles; ++i)
            dir.write(folder.mid(dir.path().size() + 1) + u"/t%1.png"_s.arg(i),
                colourPng(4, 3, { std::uint8_t(10 * i), 0, 0, 255 }));
        ASSERT_EQ(run({ u"-c4x3"_s, u"-n%1"_s.arg(c.columns), u"--spacing=%1"_s.arg(c.spacing),
                      u"--margin=%1"_s.arg(c.margin), u"--background=#12ABEF"_s, u"-o"_s,
                      dir.filePath(u"QuiltMap"_s), folder }),
            ExitSuccess)
            << err.toStdString();
        const int rows = std::max(1, (c.tiles + c.columns - 1) / c.columns);
        const int width = 2 * c.margin + 4 * c.columns + (c.columns - 1) * c.spacing;
        const int height = 2 * c.margin + 3 * rows + (rows - 1) * c.spacing;
        const sheet::Tile sheet = sheetImage();
        ASSERT_EQ(QSize(sheet.width(), sheet.height()), QSize(width, height));
        EXPECT_TRUE(out.startsWith(u"width %1, height %2,"_s.arg(width).arg(height)));
        for (int i = 0; i < c.tiles; ++i) {
            const int x = c.margin + (i % c.columns) * (4 + c.spacing);
            const int y = c.margin + (i / c.columns) * (3 + c.spacing);
            const Rgba tile { std::uint8_t(10 * i), 0, 0, 255 };
            EXPECT_EQ(pixelAt(sheet, x, y), tile) << "tile " << i;
            EXPECT_EQ(pixelAt(sheet, x + 3, y + 2), tile) << "tile " << i;
            if (c.spacing > 0 && x + 4 < width) {
                EXPECT_EQ(pixelAt(sheet, x + 4, y), background) << "right of tile " << i;
            }
        }
        if (c.margin > 0) {
            EXPECT_EQ(pixelAt(sheet, width - 1, height - 1), background);
        }
    }
}

TEST_F(CliTest, DefaultLayoutAndBackgroundChangeNoByte)
{
    makeTiles({ u"a.png"_s, u"b.png"_s, u"c.png"_s });
    ASSERT_EQ(run({ u"-n2"_s, u"-o"_s, dir.filePath(u"plain"_s), u"tiles"_s }), ExitSuccess);
    ASSERT_EQ(run({ u"-n2"_s, u"--spacing=0"_s, u"--margin=0"_s, u"--background=white"_s, u"-o"_s,
                  dir.filePath(u"explicit"_s), dir.filePath(u"tiles"_s) }),
        ExitSuccess);
    EXPECT_EQ(dir.read(u"plain.png"_s), dir.read(u"explicit.png"_s));
    ASSERT_EQ(run({ u"-n2"_s, u"--background=#FFFFFF"_s, u"-o"_s, dir.filePath(u"hex"_s),
                  dir.filePath(u"tiles"_s) }),
        ExitSuccess);
    EXPECT_EQ(dir.read(u"plain.png"_s), dir.read(u"hex.png"_s));
    for (const QString &threads : { u"--threads=1"_s, u"--threads=3"_s }) {
        ASSERT_EQ(run({ u"-n2"_s, threads, u"-o"_s, dir.filePath(u"threads"_s),
                      dir.filePath(u"tiles"_s) }),
            ExitSuccess);
        EXPECT_EQ(dir.read(u"plain.png"_s), dir.read(u"threads.png"_s)) << threads.toStdString();
    }
}

// A transparent sheet is RGBA: empty cells clear, an opaque tile opaque, a translucent tile
// with its own alpha.
TEST_F(CliTest, TransparentBackgroundKeepsEachTileAlpha)
{
    QDir().mkpath(dir.filePath(u"tiles"_s));
    dir.write(u"tiles/a.png"_s, colourPng(2, 2, { 200, 100, 50, 255 }));
    dir.write(u"tiles/b.png"_s, colourPng(2, 2, { 10, 20, 30, 77 }));
    ASSERT_EQ(run({ u"-n3"_s, u"--background"_s, u"transparent"_s, u"tiles"_s }), ExitSuccess);
    const QByteArray file = dir.read(u"QuiltMap.png"_s);
    EXPECT_EQ(file.at(25), 6) << "colour type";
    const sheet::Tile sheet = sheetImage();
    EXPECT_EQ(pixelAt(sheet, 1, 1), (Rgba { 200, 100, 50, 255 }));
    EXPECT_EQ(pixelAt(sheet, 2, 0), (Rgba { 10, 20, 30, 77 }));
    EXPECT_EQ(pixelAt(sheet, 5, 1)[3], 0);
}

TEST_F(CliTest, TilesLargerThanTheirCellAreReportedAsWarnings)
{
    QDir().mkpath(dir.filePath(u"tiles"_s));
    dir.write(u"tiles/a.png"_s, colourPng(8, 8, { 1, 1, 1, 255 }));
    dir.write(u"tiles/b.png"_s, colourPng(9, 8, { 2, 2, 2, 255 }));
    dir.write(u"tiles/c.png"_s, colourPng(3, 12, { 3, 3, 3, 255 }));
    ASSERT_EQ(run({ u"tiles"_s }), ExitSuccess);
    EXPECT_EQ(err,
        u"quiltmap: warning: tiles/b.png: 9x8 is larger than the 8x8 cell\n"
        "quiltmap: warning: tiles/c.png: 3x12 is larger than the 8x8 cell\n"_s);
    ASSERT_EQ(run({ u"-q"_s, u"-o"_s, dir.filePath(u"QuiltMap"_s), dir.filePath(u"tiles"_s) }),
        ExitSuccess);
    EXPECT_EQ(err, QString());

    // The largest width and the largest height of all files make a cell that crops nothing.
    ASSERT_EQ(run({ u"--cell=largest"_s, u"-o"_s, dir.filePath(u"QuiltMap"_s),
                  dir.filePath(u"tiles"_s) }),
        ExitSuccess);
    EXPECT_EQ(err, QString());
    EXPECT_EQ(out, u"width 225, height 12, images 3, per row 25, rows 1\n"_s);
}

struct MaxSizeCase
{
    int spacing;
    int margin;
    int maxSize;
    // The refusal's size and advice; empty when the sheet fits.
    const char *wouldBe;
    const char *advice;
};

// Ten 10 x 10 tiles, 10 columns unless refused. The largest c with
// 2 margin + 10 c + (c - 1) spacing <= max fits when its rows fit too.
TEST_F(CliTest, MaxSizeRefusesBeforeComposingAndNamesColumnsThatFit)
{
    QDir().mkpath(dir.filePath(u"tiles"_s));
    for (int i = 0; i < 10; ++i)
        dir.write(u"tiles/%1.png"_s.arg(i), colourPng(10, 10, { 0, 0, 0, 255 }));
    const QString tiles = dir.filePath(u"tiles"_s);
    for (const MaxSizeCase c :
        { MaxSizeCase { 0, 0, 100, "", "" }, MaxSizeCase { 0, 0, 99, "100x10", "--columns 9 fits" },
            MaxSizeCase { 2, 1, 100, "120x12", "--columns 8 fits" },
            MaxSizeCase { 0, 0, 30, "100x10", "no --columns value fits" },
            MaxSizeCase { 0, 6, 21, "112x22", "no --columns value fits" } }) {
        QFile::remove(dir.filePath(u"QuiltMap.png"_s));
        const int status
            = run({ u"-n10"_s, u"--spacing=%1"_s.arg(c.spacing), u"--margin=%1"_s.arg(c.margin),
                u"--max-size=%1"_s.arg(c.maxSize), u"-o"_s, dir.filePath(u"QuiltMap"_s), tiles });
        const bool fits = *c.wouldBe == 0;
        EXPECT_EQ(status, fits ? ExitSuccess : ExitFailure) << c.maxSize;
        EXPECT_EQ(err,
            fits ? QString()
                 : u"quiltmap: the sheet would be %1 pixels, more than --max-size %2; %3\n"_s.arg(
                     QString::fromUtf8(c.wouldBe), QString::number(c.maxSize),
                     QString::fromUtf8(c.advice)));
        EXPECT_EQ(QFile::exists(dir.filePath(u"QuiltMap.png"_s)), fits);
    }
}

TEST_F(CliTest, OrderFileSetsTheCellsAndAppendsTheRest)
{
    makeTiles({ u"a.png"_s, u"b.png"_s, u"c.png"_s, u"d é.png"_s });
    dir.write(u"order.txt"_s,
        "\xEF\xBB\xBF"
        "c.png\r\n\r\nd \xC3\xA9.png\na.png\n");
    ASSERT_EQ(run({ u"--order-file"_s, u"order.txt"_s, u"tiles"_s }), ExitSuccess);
    EXPECT_EQ(dir.read(u"QuiltMap.txt"_s), QByteArray("c\r\nd \xE9\r\na\r\nb\r\n"));
    EXPECT_EQ(err, u"quiltmap: appended, as order.txt does not list them: b.png\n"_s);

    const QString base = dir.filePath(u"QuiltMap"_s);
    dir.write(u"order.txt"_s, "x.png\nb.png\nA.png\n");
    EXPECT_EQ(run({ u"--order-file"_s, dir.filePath(u"order.txt"_s), u"-o"_s, base,
                  dir.filePath(u"tiles"_s) }),
        ExitFailure);
    EXPECT_EQ(err,
        u"quiltmap: %1: not in %2: x.png, A.png\n"_s.arg(
            dir.filePath(u"order.txt"_s), dir.filePath(u"tiles"_s)));

    dir.write(u"order.txt"_s, "b\xFF.png\n");
    EXPECT_EQ(run({ u"--order-file"_s, dir.filePath(u"order.txt"_s), u"-o"_s, base,
                  dir.filePath(u"tiles"_s) }),
        ExitFailure);
    EXPECT_TRUE(err.endsWith(u"order.txt: not UTF-8 text\n"_s)) << err.toStdString();
}

TEST_F(CliTest, NaturalOrderAlsoAppliesToTheAppendedFiles)
{
    makeTiles({ u"t10.png"_s, u"t9.png"_s, u"t1.png"_s, u"s.png"_s });
    dir.write(u"order.txt"_s, "s.png\n");
    ASSERT_EQ(run({ u"--order=natural"_s, u"--order-file=order.txt"_s, u"-q"_s, u"tiles"_s }),
        ExitSuccess);
    EXPECT_EQ(dir.read(u"QuiltMap.txt"_s), QByteArray("s\r\nt1\r\nt9\r\nt10\r\n"));
}

// The CSV holds the JSON's tile fields; texts with commas or quotation marks are quoted.
TEST_F(CliTest, GridDataAsCsvBesideTheJson)
{
    QDir().mkpath(dir.filePath(u"tiles"_s));
    dir.write(u"tiles/x,\"y\".png"_s, colourPng(6, 4, { 1, 2, 3, 255 }));
    dir.write(u"tiles/z.png"_s, colourPng(5, 7, { 1, 2, 3, 255 }));
    ASSERT_EQ(
        run({ u"--data=csv"_s, u"--data"_s, u"json"_s, u"-n1"_s, u"--margin=2"_s, u"tiles"_s }),
        ExitSuccess);
    EXPECT_EQ(dir.read(u"QuiltMap.csv"_s),
        QByteArray("index,name,file,column,row,x,y,width,height,clipped\r\n"
                   "0,\"x,\"\"y\"\"\",\"x,\"\"y\"\".png\",0,0,2,2,6,4,false\r\n"
                   "1,z,z.png,0,1,2,6,5,7,true\r\n"));
    EXPECT_TRUE(QFile::exists(dir.filePath(u"QuiltMap.json"_s)));
}

// A BMP file is read by its content; PNG data, whatever the name, still goes through our reader,
// so a folder of PNG files gives the very same sheet.
TEST_F(CliTest, AnyFormatReadsOtherFormatsAndLeavesPngAlone)
{
    makeTiles({ u"a.png"_s, u"c.jpg"_s }, 4);
    QImage bmp(3, 2, QImage::Format_RGB888);
    bmp.fill(QColor(10, 200, 30));
    ASSERT_TRUE(bmp.save(dir.filePath(u"tiles/b.bmp"_s), "BMP"));
    const QString base = dir.filePath(u"QuiltMap"_s);
    ASSERT_EQ(run({ u"--any-format"_s, u"-o"_s, base, u"tiles"_s }), ExitSuccess)
        << err.toStdString();
    const sheet::Tile sheet = sheetImage();
    EXPECT_EQ(pixelAt(sheet, 4, 0), (Rgba { 10, 200, 30, 255 }));
    EXPECT_EQ(pixelAt(sheet, 6, 1), (Rgba { 10, 200, 30, 255 }));
    EXPECT_EQ(pixelAt(sheet, 7, 0), (Rgba { 255, 255, 255, 255 }));

    QFile::remove(dir.filePath(u"tiles/b.bmp"_s));
    ASSERT_EQ(run({ u"-o"_s, dir.filePath(u"plain"_s), dir.filePath(u"tiles"_s) }), ExitSuccess);
    ASSERT_EQ(run({ u"--any-format"_s, u"-o"_s, dir.filePath(u"any"_s), dir.filePath(u"tiles"_s) }),
        ExitSuccess);
    EXPECT_EQ(dir.read(u"plain.png"_s), dir.read(u"any.png"_s));
}

TEST_F(CliTest, KeepGoingLeavesUnreadableCellsEmptyAndEndsWithThree)
{
    makeTiles({ u"a.png"_s, u"c.png"_s }, 2);
    dir.write(u"tiles/b.bmp"_s, "BM not a png");
    dir.write(u"tiles/d.png"_s, "\x89PNG\r\n\x1a\n");
    ASSERT_EQ(run({ u"--keep-going"_s, u"-q"_s, u"--data=csv"_s, u"tiles"_s }), ExitSkippedFiles);
    const QStringList lines = err.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << err.toStdString();
    EXPECT_TRUE(
        lines[0].startsWith(u"quiltmap: tiles/b.bmp: Die gerade gelesene Datei ist kein"_s));
    EXPECT_TRUE(lines[1].startsWith(u"quiltmap: tiles/d.png: "_s));
    EXPECT_EQ(dir.read(u"QuiltMap.txt"_s), QByteArray("a\r\nb\r\nc\r\nd\r\n"));
    const sheet::Tile sheet = sheetImage();
    EXPECT_EQ(pixelAt(sheet, 2, 0), (Rgba { 255, 255, 255, 255 }));
    EXPECT_EQ(pixelAt(sheet, 4, 0), (Rgba { 0x40, 0x40, 0x40, 255 }));
    EXPECT_TRUE(dir.read(u"QuiltMap.csv"_s).contains("\r\n1,b,b.bmp,1,0,2,0,0,0,false\r\n"));

    // Unreadable files count for nothing in the largest cell, and a bad first file does not
    // decide the cell size.
    const QString base = dir.filePath(u"QuiltMap"_s);
    dir.write(u"tiles/0.png"_s, "broken");
    ASSERT_EQ(run({ u"--keep-going"_s, u"-q"_s, u"-o"_s, base, dir.filePath(u"tiles"_s) }),
        ExitSkippedFiles);
    EXPECT_EQ(sheet::readTileSize(base + u".png"_s), QSize(50, 2));
    ASSERT_EQ(run({ u"--keep-going"_s, u"-q"_s, u"-clargest"_s, u"-o"_s, base,
                  dir.filePath(u"tiles"_s) }),
        ExitSkippedFiles);
    EXPECT_EQ(sheet::readTileSize(base + u".png"_s), QSize(50, 2));
}

// Waits up to ten seconds for `condition`.
template<typename Condition> bool eventually(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// What a file holds; empty while it does not exist.
QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The watch writes to files here, which the test reads while the watch runs on.
TEST_F(CliTest, WatchRunsAgainAfterEachChangeUntilInterrupted)
{
    makeTiles({ u"a.png"_s });
    QFile outFile(dir.filePath(u"out.log"_s));
    QFile errFile(dir.filePath(u"err.log"_s));
    ASSERT_TRUE(outFile.open(QIODevice::WriteOnly) && errFile.open(QIODevice::WriteOnly));
    QTextStream outStream(&outFile);
    QTextStream errStream(&errFile);
    int status = -1;
    std::thread watch([&] {
        status
            = runCli({ u"--watch"_s, u"-o"_s, dir.filePath(u"sheet"_s), dir.filePath(u"tiles"_s) },
                { outStream, errStream, false });
    });
    const auto names = [&](const QByteArray &expected) {
        return eventually([&] { return contents(dir.filePath(u"sheet.txt"_s)) == expected; });
    };
    EXPECT_TRUE(names("a\r\n"));
    dir.write(u"tiles/b.png"_s, greyPng(4, 4));
    EXPECT_TRUE(names("a\r\nb\r\n"));
    // A failing run is reported, and the watch goes on.
    dir.write(u"tiles/c.png"_s, "broken");
    EXPECT_TRUE(
        eventually([&] { return contents(dir.filePath(u"err.log"_s)).contains("tiles/c.png: "); }));
    dir.write(u"tiles/c.png"_s, greyPng(4, 4));
    EXPECT_TRUE(names("a\r\nb\r\nc\r\n"));
    std::raise(SIGINT);
    watch.join();
    EXPECT_EQ(status, ExitSuccess);
    EXPECT_TRUE(dir.read(u"out.log"_s).endsWith("images 3, per row 25, rows 1\n"));
}

} // namespace
} // namespace quiltmap::cli
