#include "common/error.h"
#include "sheet/output_file.h"
#include "sheet/sheet_export.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quiltmap::sheet {
namespace {

using namespace Qt::StringLiterals;

struct ExtensionCase
{
    const char *chosen;
    const char *png;
};

void PrintTo(const ExtensionCase &c, std::ostream *os)
{
    *os << c.chosen;
}

class ChangeExtensionTest : public testing::TestWithParam<ExtensionCase>
{
};

TEST_P(ChangeExtensionTest, ReplacesTheLastExtensionOrAppends)
{
    EXPECT_EQ(changeExtension(QString::fromUtf8(GetParam().chosen), QStringLiteral(".png")),
        QString::fromUtf8(GetParam().png));
}

INSTANTIATE_TEST_SUITE_P(Table, ChangeExtensionTest,
    testing::Values(ExtensionCase { "/out/sheet", "/out/sheet.png" },
        ExtensionCase { "/out/sheet.png", "/out/sheet.png" },
        ExtensionCase { "/out/my.icons.png", "/out/my.icons.png" },
        ExtensionCase { "/out/sheet.old", "/out/sheet.png" },
        ExtensionCase { "/my.dir/sheet", "/my.dir/sheet.png" },
        ExtensionCase { "/out/.hidden", "/out/.png" }, ExtensionCase { ".txt", ".txt.png" },
        ExtensionCase { "sheet.", "sheet.png" }, ExtensionCase { "", ".png" }));

TEST(NameList, TrimsTrailingBlanksAndControlsOnly)
{
    EXPECT_EQ(trimNameText(u"two  \n\t lead\tin\r\x01\n   \nkeep\u00A0"_s),
        u"two\n\t lead\tin\n\nkeep\u00A0"_s);
    EXPECT_EQ(trimNameLine(u"x \t"_s), u"x"_s);
}

TEST(NameList, EndsEveryLineWithCrLfWithoutBom)
{
    EXPECT_EQ(encodeNameText(u""_s), QByteArray());
    EXPECT_EQ(encodeNameText(u"\n"_s), QByteArray("\r\n\r\n"));
    EXPECT_EQ(encodeNameText(u"a\n\ncafé"_s), QByteArray("a\r\n\r\ncaf\xE9\r\n"));
}

class ExportTest : public testing::Test
{
protected:
    Raster sheet = Raster::white(4, 2);
    test::TempDir dir;
};

TEST_F(ExportTest, WritesImageAndNameListBesideEachOther)
{
    const ExportedFiles files
        = exportSheet(sheet, u"a\nb"_s, dir.filePath(QStringLiteral("my.icons.png")));
    EXPECT_EQ(files.image, dir.filePath(QStringLiteral("my.icons.png")));
    EXPECT_EQ(files.nameList, dir.filePath(QStringLiteral("my.icons.txt")));
    EXPECT_TRUE(dir.read(QStringLiteral("my.icons.png")).startsWith("\x89PNG\r\n\x1a\n"));
    EXPECT_EQ(dir.read(QStringLiteral("my.icons.txt")), QByteArray("a\r\nb\r\n"));
    // Saving again overwrites both silently.
    exportSheet(sheet, {}, dir.filePath(QStringLiteral("my.icons.old")));
    EXPECT_EQ(dir.read(QStringLiteral("my.icons.txt")), QByteArray());
}

QString failureOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Error &error) {
        return error.message();
    }
    return {};
}

TEST_F(ExportTest, ReadOnlyImageFailsWithTheCreateErrorAndWritesNoNameList)
{
    const QString image = dir.write(QStringLiteral("sheet.png"), "old image");
    ASSERT_EQ(::chmod(QFile::encodeName(image), 0444), 0);
    const QString message
        = failureOf([&] { exportSheet(sheet, u"a"_s, dir.filePath(QStringLiteral("sheet"))); });
    EXPECT_TRUE(
        message.startsWith(QStringLiteral("Datei \"%1\" kann nicht erstellt werden. ").arg(image)))
        << message.toStdString();
    EXPECT_GT(message.size(), image.size() + 36);
    EXPECT_EQ(dir.read(QStringLiteral("sheet.png")), QByteArray("old image"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("sheet.txt"))));
}

TEST_F(ExportTest, ReadOnlyNameListFailsAfterTheImageIsWritten)
{
    const QString names = dir.write(QStringLiteral("sheet.txt"), "old names");
    ASSERT_EQ(::chmod(QFile::encodeName(names), 0444), 0);
    const QString message
        = failureOf([&] { exportSheet(sheet, u"a"_s, dir.filePath(QStringLiteral("sheet"))); });
    EXPECT_TRUE(message.startsWith(QStringLiteral("Datei \"%1\"").arg(names)));
    EXPECT_TRUE(dir.read(QStringLiteral("sheet.png")).startsWith("\x89PNG"));
    EXPECT_EQ(dir.read(QStringLiteral("sheet.txt")), QByteArray("old names"));
}

TEST_F(ExportTest, FolderWithoutWritePermissionFails)
{
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()), 0555), 0);
    const QString message
        = failureOf([&] { exportSheet(sheet, u"a"_s, dir.filePath(QStringLiteral("sheet"))); });
    ::chmod(QFile::encodeName(dir.path()), 0755);
    EXPECT_TRUE(message.startsWith(
        QStringLiteral("Datei \"%1\"").arg(dir.filePath(QStringLiteral("sheet.png")))));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("sheet.png"))));
}

TEST_F(ExportTest, MissingFolderFailsWithTheCreateError)
{
    const QString path = dir.filePath(QStringLiteral("no/sheet.png"));
    EXPECT_TRUE(failureOf([&] {
        exportSheet(sheet, {}, path);
    }).startsWith(QStringLiteral("Datei \"%1\" kann nicht erstellt werden. ").arg(path)));
}

TEST_F(ExportTest, FailedWriteKeepsThePreviousFile)
{
    const QString path = dir.write(QStringLiteral("keep.txt"), "previous");
    const QString message = failureOf([&] {
        writeOutputFile(path, [](QIODevice &out) {
            out.write("partial");
            return false;
        });
    });
    EXPECT_TRUE(message.startsWith(QStringLiteral("Datei \"%1\"").arg(path)));
    EXPECT_EQ(dir.read(QStringLiteral("keep.txt")), QByteArray("previous"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList { u"keep.txt"_s });
}

TEST_F(ExportTest, EmptySheetFailsWithoutTouchingTheOldImage)
{
    const QString image = dir.write(QStringLiteral("sheet.png"), "old image");
    EXPECT_EQ(failureOf([&] { exportSheet(Raster::white(0, 48), u"a"_s, image); }),
        u"Ein Bild mit 0 x 48 Pixeln kann nicht als PNG gespeichert werden"_s);
    EXPECT_EQ(dir.read(QStringLiteral("sheet.png")), QByteArray("old image"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("sheet.txt"))));
}

} // namespace
} // namespace quiltmap::sheet
