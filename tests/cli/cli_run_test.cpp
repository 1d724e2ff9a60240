#include "cli/cli_messages.h"
#include "cli/cli_run.h"
#include "cli/gui_parts.h"
#include "common/error.h"
#include "png_builder/png_builder.h"
#include "sheet/composition.h"
#include "sheet/png_errors.h"
#include "sheet/png_reader.h"
#include "support/temp_dir.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
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

QByteArray greyPng(int width, int height, std::uint8_t grey = 0x40)
{
    pngbuilder::PngRecipe recipe;
    recipe.width = std::uint32_t(width);
    recipe.height = std::uint32_t(height);
    recipe.colourType = 0;
    recipe.samples.assign(std::size_t(width) * std::size_t(height), grey);
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
    // The parts the program loads as a module are linked in here.
    CliTest()
    {
        QDir::setCurrent(dir.path());
        useGuiParts(linkedGuiParts());
    }
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

    // Tiles of different greys, so that none is reported as a duplicate.
    void makeTiles(const QStringList &names, int side = 32) const
    {
        QDir(dir.path()).mkpath(u"tiles"_s);
        for (qsizetype i = 0; i < names.size(); ++i)
            dir.write(u"tiles/"_s + names[i], greyPng(side, side, std::uint8_t(0x40 + i)));
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

struct EdgeCase
{
    QStringList arguments;
    int status;
    // What standard error shows, without the usage lines that follow a usage error.
    QString err;
};

const QString usageLines
    = u"Usage: quiltmap [OPTION]... FOLDER\nTry 'quiltmap --help' for more.\n"_s;

// What the command says for wrong input, and that it writes nothing then: a usage error names the
// option and its value before any work, a failure the place and the reason.
TEST_F(CliTest, WrongInputIsNamedAndLeavesThePreviousOutputs)
{
    makeTiles({ u"a.png"_s, u"b.png"_s }, 4);
    for (const char *folder : { "empty", "texts", "jpegs", "ro" })
        QDir(dir.path()).mkpath(QString::fromLatin1(folder));
    dir.write(u"texts/readme.txt"_s, "no image");
    dir.write(u"jpegs/c.jpg"_s, "\xFF\xD8\xFF\xE0 a JPEG file");
    QFile::setPermissions(dir.filePath(u"ro"_s), QFile::ReadOwner | QFile::ExeOwner);
    ASSERT_EQ(run({ u"-q"_s, u"tiles"_s }), ExitSuccess);
    const QByteArray sheetBytes = dir.read(u"QuiltMap.png"_s);
    const QString noImages = u": no image files (*.jpg, *.png, *.bmp)\n"_s;
    const QString columns = u"--columns: expects a whole number from 1 up or auto, not "_s;
    const QString cell = u"--cell: expects WIDTHxHEIGHT, each from 1 up, or largest, not "_s;
    for (const EdgeCase &c : std::initializer_list<EdgeCase> {
             { { u"-n"_s, u"abc"_s, u"tiles"_s }, ExitUsage, columns + u"\"abc\""_s },
             { { u"-n"_s, u"0"_s, u"tiles"_s }, ExitUsage, columns + u"\"0\""_s },
             { { u"-n"_s, u"-3"_s, u"tiles"_s }, ExitUsage, columns + u"\"-3\""_s },
             { { u"--columns= 2"_s, u"tiles"_s }, ExitUsage, columns + u"\" 2\""_s },
             { { u"-n2x"_s, u"tiles"_s }, ExitUsage, columns + u"\"2x\""_s },
             { { u"-n99999999999"_s, u"tiles"_s }, ExitUsage, columns + u"\"99999999999\""_s },
             { { u"--cell"_s, u"0x0"_s, u"tiles"_s }, ExitUsage, cell + u"\"0x0\""_s },
             { { u"--cell=48"_s, u"tiles"_s }, ExitUsage, cell + u"\"48\""_s },
             { { u"-c16x"_s, u"tiles"_s }, ExitUsage, cell + u"\"16x\""_s },
             { { u"--spacing=-1"_s, u"tiles"_s }, ExitUsage,
                 u"--spacing: expects a number of pixels from 0 up, not \"-1\""_s },
             { { u"--margin=x"_s, u"tiles"_s }, ExitUsage,
                 u"--margin: expects a number of pixels from 0 up, not \"x\""_s },
             { { u"--max-size=0"_s, u"tiles"_s }, ExitUsage,
                 u"--max-size: expects a number of pixels from 1 up, not \"0\""_s },
             { { u"--background=black"_s, u"tiles"_s }, ExitUsage,
                 u"--background: expects white, transparent or #RRGGBB, not \"black\""_s },
             { { u"--background=#12345"_s, u"tiles"_s }, ExitUsage,
                 u"--background: expects white, transparent or #RRGGBB, not \"#12345\""_s },
             { { u"--order=reverse"_s, u"tiles"_s }, ExitUsage,
                 u"--order: expects natural, not \"reverse\""_s },
             { { u"--data=xml"_s, u"tiles"_s }, ExitUsage,
                 u"--data: expects json, csv, phaser or tiled, not \"xml\""_s },
             { { u"--max-size=9"_s, u"--data=tiled"_s, u"--pages"_s }, ExitUsage,
                 u"no FOLDER given"_s },
             { { u"--pages"_s, u"tiles"_s }, ExitUsage,
                 u"--pages: needs --max-size, the size a page may have"_s },
             { { u"--max-size=3"_s, u"tiles"_s }, ExitFailure,
                 u"quiltmap: QuiltMap.png: one 4x4 cell with its margins is more than --max-size "
                 "3; pass a larger --max-size\n"_s },
             { { u"-n"_s, u"auto"_s, u"--max-size=7"_s, u"tiles"_s }, ExitFailure,
                 u"quiltmap: QuiltMap.png: the sheet would be 8x4 pixels, more than --max-size 7; "
                 "no -n fits, pass a larger --max-size\n"_s },
             { { u"-n2"_s, u"--pages"_s, u"--max-size=7"_s, u"tiles"_s }, ExitFailure,
                 u"quiltmap: QuiltMap.png: the sheet would be 8x4 pixels, more than --max-size 7; "
                 "pass -n auto or -n 1\n"_s },
             { { u"--threads=0"_s, u"tiles"_s }, ExitUsage,
                 u"--threads: expects a number of threads from 1 up, not \"0\""_s },
             { { u"--bogus"_s, u"tiles"_s }, ExitUsage, u"--bogus: no such option"_s },
             { { u"-z"_s, u"tiles"_s }, ExitUsage, u"-z: no such option"_s },
             { { u"tiles"_s, u"--columns"_s }, ExitUsage, u"Missing value after '--columns'"_s },
             { {}, ExitUsage, u"no FOLDER given"_s },
             { { u"tiles"_s, u"empty"_s }, ExitUsage, u"only one FOLDER may be given"_s },
             { { u"empty"_s }, ExitFailure, u"quiltmap: empty"_s + noImages },
             { { u"texts"_s }, ExitFailure, u"quiltmap: texts"_s + noImages },
             { { u"missing"_s }, ExitFailure, u"quiltmap: missing: no such folder\n"_s },
             { { u"tiles/a.png"_s }, ExitFailure, u"quiltmap: tiles/a.png: not a folder\n"_s },
             { { u"jpegs"_s }, ExitFailure,
                 u"quiltmap: jpegs/c.jpg: not a PNG file; use --any-format to read JPEG, BMP, "
                 "GIF and WebP files\n"_s },
             { { u"-c4x4"_s, u"jpegs"_s }, ExitFailure,
                 u"quiltmap: jpegs/c.jpg: not a PNG file; use --any-format to read JPEG, BMP, "
                 "GIF and WebP files\n"_s },
             { { u"-o"_s, u"missing/sheet"_s, u"tiles"_s }, ExitFailure,
                 u"quiltmap: missing/sheet.png: cannot write: No such file or directory\n"_s },
             { { u"-o"_s, u"ro/sheet.x"_s, u"tiles"_s }, ExitFailure,
                 u"quiltmap: ro/sheet.png: cannot write: Permission denied\n"_s },
         }) {
        QDir::setCurrent(dir.path());
        const int status = run(c.arguments);
        EXPECT_EQ(status, c.status) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(err.toStdString(),
            (c.status == ExitUsage ? u"quiltmap: "_s + c.err + u'\n' + usageLines : c.err)
                .toStdString());
        EXPECT_EQ(out, QString());
        EXPECT_EQ(dir.read(u"QuiltMap.png"_s), sheetBytes);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
        QStringList({ u"QuiltMap.png"_s, u"QuiltMap.txt"_s }));
}

// Root reads every file, so only an ordinary user sees the refusal.
TEST_F(CliTest, UnreadableTileIsNamedOnceWithTheSystemsReason)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads files whatever their permissions";
    makeTiles({ u"a.png"_s }, 4);
    QFile::setPermissions(dir.filePath(u"tiles/a.png"_s), QFileDevice::Permissions());
    EXPECT_EQ(run({ u"tiles"_s }), ExitFailure);
    EXPECT_EQ(err, u"quiltmap: tiles/a.png: cannot open: Permission denied\n"_s);
}

TEST_F(CliTest, WarnsOfColumnsNoTileReaches)
{
    makeTiles({ u"a.png"_s, u"b.png"_s }, 4);
    ASSERT_EQ(run({ u"-n"_s, u"3"_s, u"tiles"_s }), ExitSuccess);
    EXPECT_EQ(
        err, u"quiltmap: warning: -n 3 is more than the 2 tiles; the sheet has empty columns\n"_s);
    EXPECT_EQ(out, u"width 12, height 4, images 2, per row 3, rows 1\n"_s);
    ASSERT_EQ(run({ u"-n"_s, u"2"_s, u"../tiles"_s }), ExitSuccess);
    EXPECT_EQ(err, QString());
}

// The sheet written into the folder it is made from is no tile of the next run.
TEST_F(CliTest, OwnOutputInTheFolderIsLeftOut)
{
    makeTiles({ u"a.png"_s }, 4);
    ASSERT_EQ(run({ u"-o"_s, u"tiles/QuiltMap"_s, u"tiles"_s }), ExitSuccess);
    ASSERT_EQ(
        run({ u"-o"_s, dir.filePath(u"tiles/QuiltMap"_s), dir.filePath(u"tiles"_s) }), ExitSuccess);
    EXPECT_EQ(err,
        u"quiltmap: %1: left out as an output of this run: QuiltMap.png\n"_s.arg(
            dir.filePath(u"tiles"_s)));
    EXPECT_EQ(out, u"width 100, height 4, images 1, per row 25, rows 1\n"_s);
    EXPECT_EQ(dir.read(u"tiles/QuiltMap.txt"_s), QByteArray("a\r\n"));
}

// Every way the core fails has its English text, the place once, the reason in words.
TEST_F(CliTest, CoreErrorsAreWordedInEnglish)
{
    const auto message
        = [](ErrorFacts facts) { return englishMessage(Error(u"Text"_s, facts), u"sheet.png"_s); };
    for (const auto &[facts, text] :
        std::initializer_list<std::pair<ErrorFacts, QString>> {
            { { .code = ErrorCode::CannotOpenFile,
                .path = u"a.png"_s,
                .reason = u"Permission denied"_s },
                u"a.png: cannot open: Permission denied"_s },
            { { .code = ErrorCode::CannotReadFile, .path = u"a.png"_s, .reason = u"I/O error"_s },
                u"a.png: cannot read: I/O error"_s },
            { { .code = ErrorCode::CannotReadFolder,
                .path = u"t"_s,
                .reason = u"Permission denied"_s },
                u"t: cannot read the folder: Permission denied"_s },
            { { .code = ErrorCode::InvalidPng,
                .path = u"a.png"_s,
                .detail = int(sheet::PngError::BadCrc) },
                u"a.png: damaged PNG file: a chunk's checksum does not match"_s },
            { { .code = ErrorCode::NotAnImage,
                .path = u"a.gif"_s,
                .reason = u"Unsupported image format"_s },
                u"a.gif: not an image file: Unsupported image format"_s },
            { { .code = ErrorCode::TileTooLarge, .path = u"a.gif"_s, .width = 9, .height = 8 },
                u"a.gif: 9x8 pixels is more than a tile may have"_s },
            { { .code = ErrorCode::SheetTooLarge, .width = 3000000000, .height = 48 },
                u"sheet.png: a sheet of 3000000000x48 pixels is too large to make; pass -n auto or a smaller -n"_s },
            { { .code = ErrorCode::OutOfMemory, .width = 9, .height = 8 },
                u"sheet.png: not enough memory for a sheet of 9x8 pixels"_s },
            { { .code = ErrorCode::Unspecified }, u"Text"_s } })
        EXPECT_EQ(message(facts), text);
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
    EXPECT_EQ(
        err, u"quiltmap: "_s + disk + u"/sheet.png: cannot write: No space left on device\n"_s);
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
    for (const LayoutCase c : { LayoutCase { 3, 0, 0, 5 }, LayoutCase { 3, 2, 0, 5 },
             LayoutCase { 3, 0, 1, 5 }, LayoutCase { 2, 3, 4, 4 }, LayoutCase { 4, 5, 2, 1 } }) {
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
        dir.write(u"tiles/%1.png"_s.arg(i), colourPng(10, 10, { std::uint8_t(i), 0, 0, 255 }));
    const QString tiles = dir.filePath(u"tiles"_s);
    for (const MaxSizeCase c : { MaxSizeCase { 0, 0, 100, "", "" },
             MaxSizeCase { 0, 0, 99, "100x10", "pass -n auto or -n 9" },
             MaxSizeCase { 2, 1, 100, "120x12", "pass -n auto or -n 8" },
             MaxSizeCase { 0, 0, 30, "100x10", "no -n fits, pass a larger --max-size" },
             MaxSizeCase { 0, 4, 21, "108x18", "no -n fits, pass a larger --max-size" } }) {
        QFile::remove(dir.filePath(u"QuiltMap.png"_s));
        const int status
            = run({ u"-n10"_s, u"--spacing=%1"_s.arg(c.spacing), u"--margin=%1"_s.arg(c.margin),
                u"--max-size=%1"_s.arg(c.maxSize), u"-o"_s, dir.filePath(u"QuiltMap"_s), tiles });
        const bool fits = *c.wouldBe == 0;
        EXPECT_EQ(status, fits ? ExitSuccess : ExitFailure) << c.maxSize;
        EXPECT_EQ(err,
            fits
                ? QString()
                : u"quiltmap: %1.png: the sheet would be %2 pixels, more than --max-size %3; %4\n"_s
                      .arg(dir.filePath(u"QuiltMap"_s), QString::fromUtf8(c.wouldBe),
                          QString::number(c.maxSize), QString::fromUtf8(c.advice)));
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
    EXPECT_EQ(err, u"quiltmap: order.txt: not listed, so appended: b.png\n"_s);

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

// A name list written earlier orders the next run: its lines are names without extensions, a
// file name still means its file, and a name two files share is refused naming both.
TEST_F(CliTest, NameListServesAsOrderFile)
{
    makeTiles({ u"a.png"_s, u"b.bmp"_s, u"c.png"_s, u"c.png.png"_s, u"d .png"_s }, 2);
    dir.write(u"order.txt"_s, "d\nc.png\nb\n");
    ASSERT_EQ(
        run({ u"-q"_s, u"--order-file=order.txt"_s, u"-o"_s, u"list"_s, u"tiles"_s }), ExitSuccess);
    EXPECT_EQ(dir.read(u"list.txt"_s), QByteArray("d\r\nc\r\nb\r\na\r\nc\r\n"));

    dir.write(u"order.txt"_s, "a\nc\n");
    EXPECT_EQ(run({ u"--order-file"_s, dir.filePath(u"order.txt"_s), dir.filePath(u"tiles"_s) }),
        ExitFailure);
    EXPECT_EQ(err,
        u"quiltmap: %1: \"c\" names both c.png and c.png.png; list the file name instead\n"_s.arg(
            dir.filePath(u"order.txt"_s)));
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
    EXPECT_EQ(lines[0],
        u"quiltmap: tiles/b.bmp: not a PNG file; use --any-format to read JPEG, BMP, GIF and WebP files"_s);
    EXPECT_EQ(lines[1], u"quiltmap: tiles/d.png: damaged PNG file: it ends before its data does"_s);
    EXPECT_EQ(dir.read(u"QuiltMap.txt"_s), QByteArray("a\r\nb\r\nc\r\nd\r\n"));
    const sheet::Tile sheet = sheetImage();
    EXPECT_EQ(pixelAt(sheet, 2, 0), (Rgba { 255, 255, 255, 255 }));
    EXPECT_EQ(pixelAt(sheet, 4, 0), (Rgba { 0x41, 0x41, 0x41, 255 }));
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

struct AutoCase
{
    const char *cell;
    std::optional<int> maxSize;
    // The columns chosen, or 0 for the refusal.
    int columns;
};

// The squarest sheet: the longer side over the shorter the least, on a tie the fewer rows.
TEST_F(CliTest, AutoColumnsMakeTheSquarestSheetThatFits)
{
    QDir().mkpath(dir.filePath(u"tiles"_s));
    for (int i = 0; i < 10; ++i)
        dir.write(u"tiles/%1.png"_s.arg(i), colourPng(10, 10, { 0, 0, 0, 255 }));
    for (const AutoCase c : { AutoCase { "10x10", {}, 4 }, AutoCase { "10x10", 40, 4 },
             AutoCase { "10x10", 35, 0 }, AutoCase { "10x40", {}, 8 }, AutoCase { "40x10", {}, 2 },
             AutoCase { "10x20", 60, 5 } }) {
        QStringList arguments { u"-n"_s, u"auto"_s, u"-c"_s + QString::fromLatin1(c.cell), u"-o"_s,
            dir.filePath(u"QuiltMap"_s), dir.filePath(u"tiles"_s) };
        if (c.maxSize)
            arguments.prepend(u"--max-size=%1"_s.arg(*c.maxSize));
        const int status = run(arguments);
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        if (c.columns == 0) {
            EXPECT_EQ(status, ExitFailure);
            EXPECT_TRUE(err.contains(u"no -n fits"_s)) << err.toStdString();
        } else {
            EXPECT_EQ(status, ExitSuccess) << err.toStdString();
            EXPECT_TRUE(out.contains(u"per row %1,"_s.arg(c.columns))) << out.toStdString();
        }
    }
}

// --pot pads the sheet with background to powers of two; the cells stay where they were.
TEST_F(CliTest, PowerOfTwoPadsTheSheetAndKeepsTheCells)
{
    QDir().mkpath(dir.filePath(u"tiles"_s));
    for (int i = 0; i < 4; ++i)
        dir.write(u"tiles/%1.png"_s.arg(i), colourPng(5, 3, { std::uint8_t(50 * i), 9, 9, 255 }));
    ASSERT_EQ(run({ u"-n3"_s, u"--margin=1"_s, u"--data=json"_s, u"-o"_s, u"plain"_s, u"tiles"_s }),
        ExitSuccess);
    ASSERT_EQ(run({ u"-n3"_s, u"--margin=1"_s, u"--pot"_s, u"--data=json"_s, u"-o"_s,
                  dir.filePath(u"pot"_s), dir.filePath(u"tiles"_s) }),
        ExitSuccess);
    EXPECT_EQ(out, u"width 32, height 8, images 4, per row 3, rows 2\n"_s);
    const sheet::Tile plain = sheetImage(u"plain.png"_s);
    const sheet::Tile pot = sheetImage(u"pot.png"_s);
    ASSERT_EQ(QSize(plain.width(), plain.height()), QSize(17, 8));
    ASSERT_EQ(QSize(pot.width(), pot.height()), QSize(32, 8));
    for (int y = 0; y < pot.height(); ++y)
        for (int x = 0; x < pot.width(); ++x)
            EXPECT_EQ(pixelAt(pot, x, y),
                x < plain.width() ? pixelAt(plain, x, y) : (Rgba { 255, 255, 255, 255 }));
    EXPECT_TRUE(dir.read(u"pot.json"_s).contains("\"width\": 32,\n        \"height\": 8,"));
    EXPECT_EQ(dir.read(u"plain.json"_s).replace("\"width\": 17", "\"width\": 32"),
        dir.read(u"pot.json"_s));
    // -n auto weighs the padded size: two columns make 10x6, within 12, but 16x8 padded.
    const QStringList autoPot { u"-n"_s, u"auto"_s, u"--pot"_s, u"-o"_s, dir.filePath(u"auto"_s),
        dir.filePath(u"tiles"_s) };
    EXPECT_EQ(run(QStringList { u"--max-size=12"_s } + autoPot), ExitFailure);
    EXPECT_TRUE(err.endsWith(u"no -n fits, pass a larger --max-size\n"_s)) << err.toStdString();
    ASSERT_EQ(run(QStringList { u"--max-size=16"_s } + autoPot), ExitSuccess);
    EXPECT_EQ(out, u"width 16, height 8, images 4, per row 2, rows 2\n"_s);
}

// Decoded pixels decide, not the files: the same picture stored two ways is a duplicate.
TEST_F(CliTest, DuplicateTilesAreReportedWithTheFirst)
{
    QDir().mkpath(dir.filePath(u"tiles"_s));
    dir.write(u"tiles/a.png"_s, colourPng(2, 2, { 1, 2, 3, 255 }));
    dir.write(u"tiles/b.png"_s, colourPng(2, 2, { 1, 2, 4, 255 }));
    pngbuilder::PngRecipe interlaced;
    interlaced.width = interlaced.height = 2;
    interlaced.colourType = 2;
    interlaced.interlaced = true;
    for (int i = 0; i < 12; ++i)
        interlaced.samples.push_back(std::uint8_t(1 + i % 3));
    const std::vector<std::uint8_t> bytes = pngbuilder::buildPng(interlaced);
    dir.write(u"tiles/c.png"_s,
        QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())));
    dir.write(u"tiles/d.png"_s, colourPng(2, 2, { 1, 2, 4, 255 }));
    dir.write(u"tiles/e.png"_s, colourPng(2, 2, { 1, 2, 3, 254 }));
    // The same bytes in another shape.
    dir.write(u"tiles/f.png"_s, colourPng(2, 1, { 9, 9, 9, 255 }));
    dir.write(u"tiles/g.png"_s, colourPng(1, 2, { 9, 9, 9, 255 }));
    for (const QString &threads : { u"--threads=1"_s, u"--threads=3"_s }) {
        ASSERT_EQ(run({ threads, dir.filePath(u"tiles"_s) }), ExitSuccess);
        EXPECT_EQ(err,
            u"quiltmap: %1/c.png: the same pixels as %1/a.png\nquiltmap: %1/d.png: the same pixels as %1/b.png\n"_s
                .arg(dir.filePath(u"tiles"_s)));
    }
    ASSERT_EQ(run({ u"-q"_s, dir.filePath(u"tiles"_s) }), ExitSuccess);
    EXPECT_EQ(err, QString());
}

// The proof sheet shows each cell's pixels as the sheet has them, in a box with its label; in
// the folder it is no tile of the next run.
TEST_F(CliTest, ProofSheetShowsEveryCellFromTheComposedSheet)
{
    QDir().mkpath(dir.filePath(u"tiles"_s));
    for (int i = 0; i < 3; ++i)
        dir.write(u"tiles/%1.png"_s.arg(i), colourPng(6, 4, { std::uint8_t(80 * i), 200, 7, 255 }));
    ASSERT_EQ(
        run({ u"-n2"_s, u"--proof"_s, u"-o"_s, u"tiles/QuiltMap"_s, u"tiles"_s }), ExitSuccess)
        << err.toStdString();
    const QImage proof(dir.filePath(u"tiles/QuiltMap.proof.png"_s));
    ASSERT_FALSE(proof.isNull());
    const sheet::Tile sheet = sheetImage(u"tiles/QuiltMap.png"_s);
    const int boxWidth = (proof.width() - 1) / 2 - 1;
    const int boxHeight = (proof.height() - 1) / 2 - 1;
    EXPECT_GT(boxHeight, 4 + 20) << "room for two lines of text";
    for (int i = 0; i < 3; ++i) {
        const QPoint box(1 + (i % 2) * (boxWidth + 1), 1 + (i / 2) * (boxHeight + 1));
        const Rgba expected = pixelAt(sheet, (i % 2) * 6 + 5, (i / 2) * 4 + 3);
        EXPECT_EQ(
            proof.pixelColor(box + QPoint(5, 3)), QColor(expected[0], expected[1], expected[2]))
            << i;
        EXPECT_NE(
            proof.pixelColor(box + QPoint(6, 3)), QColor(expected[0], expected[1], expected[2]))
            << i;
    }
    ASSERT_EQ(run({ u"-n2"_s, u"--proof"_s, u"-o"_s, dir.filePath(u"tiles/QuiltMap"_s),
                  dir.filePath(u"tiles"_s) }),
        ExitSuccess);
    EXPECT_EQ(err,
        u"quiltmap: %1: left out as an output of this run: QuiltMap.png, QuiltMap.proof.png\n"_s
            .arg(dir.filePath(u"tiles"_s)));
    EXPECT_EQ(dir.read(u"tiles/QuiltMap.txt"_s), QByteArray("0\r\n1\r\n2\r\n"));
}

// A box shows its cell as the finished sheet has it, with the parts of tiles from the cells
// above that reach into it; the proof is the same for any thread count.
TEST_F(CliTest, ProofSheetShowsTilesReachingIntoTheCellsBelow)
{
    QDir().mkpath(dir.filePath(u"tiles"_s));
    dir.write(u"tiles/0.png"_s, colourPng(6, 9, { 10, 20, 30, 255 }));
    dir.write(u"tiles/1.png"_s, colourPng(6, 4, { 200, 20, 30, 255 }));
    dir.write(u"tiles/2.png"_s, colourPng(6, 2, { 10, 200, 30, 255 }));
    for (const QString &threads : { u"--threads=1"_s, u"--threads=3"_s })
        ASSERT_EQ(run({ u"-n2"_s, u"--cell=6x4"_s, u"--spacing=1"_s, u"--proof"_s, threads, u"-o"_s,
                      dir.filePath(u"sheet"_s + threads.back()), dir.filePath(u"tiles"_s) }),
            ExitSuccess)
            << err.toStdString();
    EXPECT_EQ(dir.read(u"sheet1.proof.png"_s), dir.read(u"sheet3.proof.png"_s));
    const QImage proof(dir.filePath(u"sheet1.proof.png"_s));
    const sheet::Tile sheet = sheetImage(u"sheet1.png"_s);
    const int boxWidth = (proof.width() - 1) / 2 - 1;
    const int boxHeight = (proof.height() - 1) / 2 - 1;
    for (int i = 0; i < 3; ++i)
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) {
                const QPoint box(1 + (i % 2) * (boxWidth + 1), 1 + (i / 2) * (boxHeight + 1));
                const Rgba expected = pixelAt(sheet, (i % 2) * 7 + x, (i / 2) * 5 + y);
                ASSERT_EQ(proof.pixelColor(box + QPoint(x, y)),
                    QColor(expected[0], expected[1], expected[2]))
                    << i << " at " << x << ", " << y;
            }
    EXPECT_EQ(pixelAt(sheet, 0, 8), (Rgba { 10, 20, 30, 255 })) << "tile 0 reaches into cell 2";
}

// A sheet beyond --max-size splits by whole rows into pages that each hold their cells exactly
// where the whole sheet has them, relative to the page; the name list keeps every tile.
TEST_F(CliTest, PagesSplitTheSheetByWholeRows)
{
    QDir().mkpath(dir.filePath(u"tiles"_s));
    for (int i = 0; i < 10; ++i)
        dir.write(u"tiles/%1.png"_s.arg(i), colourPng(4, 6, { std::uint8_t(20 * i), 3, 3, 255 }));
    const QStringList layout { u"-n3"_s, u"--spacing=1"_s, u"--margin=2"_s };
    ASSERT_EQ(run(layout + QStringList { u"-q"_s, u"-o"_s, u"whole"_s, u"tiles"_s }), ExitSuccess);
    ASSERT_EQ(
        run(layout
            + QStringList { u"--max-size=20"_s, u"--pages"_s, u"--data=json"_s, u"--data=tiled"_s,
                u"-o"_s, dir.filePath(u"paged"_s), dir.filePath(u"tiles"_s) }),
        ExitSuccess)
        << err.toStdString();
    EXPECT_EQ(out,
        u"page 1: width 18, height 17, images 6, per row 3, rows 2\npage 2: width 18, height 17, images 4, per row 3, rows 2\n"_s);
    EXPECT_FALSE(QFile::exists(dir.filePath(u"paged.png"_s)));
    EXPECT_EQ(dir.read(u"paged.txt"_s), dir.read(u"whole.txt"_s));
    const sheet::Tile whole = sheetImage(u"whole.png"_s);
    for (int i = 0; i < 10; ++i) {
        const sheet::Tile page = sheetImage(u"paged-%1.png"_s.arg(1 + i / 6));
        const int x = 2 + (i % 3) * 5;
        EXPECT_EQ(
            pixelAt(page, x + 3, 2 + (i % 6) / 3 * 7 + 5), pixelAt(whole, x + 3, 2 + i / 3 * 7 + 5))
            << i;
    }
    const QJsonObject data = QJsonDocument::fromJson(dir.read(u"paged.json"_s)).object();
    EXPECT_EQ(data[u"sheet"_s][u"pages"_s].toInt(), 2);
    const QJsonObject seventh = data[u"tiles"_s].toArray().at(6).toObject();
    EXPECT_EQ(seventh[u"index"_s].toInt(), 6);
    EXPECT_EQ(seventh[u"page"_s].toInt(), 2);
    EXPECT_EQ(seventh[u"row"_s].toInt(), 0);
    EXPECT_EQ(seventh[u"y"_s].toInt(), 2);
    EXPECT_TRUE(dir.read(u"paged-2.tsx"_s)
                    .contains("<image source=\"paged-2.png\" width=\"18\" height=\"17\"/>"));
    EXPECT_TRUE(dir.read(u"paged-2.tsx"_s).contains("tilecount=\"6\""));
    // A sheet that fits is one image without a page number, and its data names no page.
    ASSERT_EQ(run(layout
                  + QStringList { u"--max-size=40"_s, u"--pages"_s, u"--data=csv"_s, u"-o"_s,
                      dir.filePath(u"fits"_s), dir.filePath(u"tiles"_s) }),
        ExitSuccess);
    EXPECT_EQ(out, u"width 18, height 31, images 10, per row 3, rows 4\n"_s);
    EXPECT_EQ(dir.read(u"fits.png"_s), dir.read(u"whole.png"_s));
    EXPECT_FALSE(QFile::exists(dir.filePath(u"fits-1.png"_s)));
    EXPECT_TRUE(dir.read(u"fits.csv"_s).startsWith("index,name,"));

    EXPECT_EQ(
        run(layout + QStringList { u"--max-size=5"_s, u"--pages"_s, dir.filePath(u"tiles"_s) }),
        ExitFailure);
    EXPECT_TRUE(err.endsWith(
        u"cell with its margins is more than --max-size 5; pass a larger --max-size\n"_s))
        << err.toStdString();
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
    // The first report as a single run gives it, the later ones after their local time.
    const QStringList reports
        = QString::fromUtf8(dir.read(u"out.log"_s)).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GE(reports.size(), 3);
    EXPECT_TRUE(reports.front().startsWith(u"width "_s));
    const QRegularExpression timed(u"^\\d\\d:\\d\\d:\\d\\d width \\d+, height \\d+, images \\d+"_s);
    for (const QString &report : reports.mid(1))
        EXPECT_TRUE(timed.match(report).hasMatch()) << report.toStdString();
    EXPECT_TRUE(reports.back().endsWith(u"images 3, per row 25, rows 1"_s));
    EXPECT_TRUE(QString::fromUtf8(dir.read(u"err.log"_s))
                    .startsWith(u"quiltmap: watching "_s + dir.filePath(u"tiles"_s)
                        + u" (Ctrl+C to stop)\n"_s));
}

} // namespace
} // namespace quiltmap::cli
