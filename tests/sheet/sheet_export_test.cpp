#include "common/error.h"
#include "sheet/atomic_file.h"
#include "sheet/sheet_export.h"
#include "sheet/windows1252.h"
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
    const QStringList lines { QStringLiteral("two  "), QStringLiteral("\t lead\tin\r\x01"),
        QStringLiteral("   "), QStringLiteral("keep\u00A0") };
    EXPECT_EQ(trimNameLines(lines),
        (QStringList { u"two"_s, u"\t lead\tin"_s, QString(), u"keep\u00A0"_s }));
}

TEST(NameList, EndsEveryLineWithCrLfWithoutBom)
{
    EXPECT_EQ(encodeNameList({}), QByteArray());
    EXPECT_EQ(encodeNameList({ QString() }), QByteArray("\r\n"));
    EXPECT_EQ(encodeNameList({ u"a"_s, u""_s, u"café"_s }), QByteArray("a\r\n\r\ncaf\xE9\r\n"));
}

struct CodePageCase
{
    const char16_t *text;
    const char *bytes;
};

void PrintTo(const CodePageCase &c, std::ostream *os)
{
    *os << QString::fromUtf16(c.text).toStdString();
}

class Windows1252Test : public testing::TestWithParam<CodePageCase>
{
};

TEST_P(Windows1252Test, MapsOrApproximates)
{
    EXPECT_EQ(toWindows1252(QString::fromUtf16(GetParam().text)), QByteArray(GetParam().bytes));
}

INSTANTIATE_TEST_SUITE_P(Table, Windows1252Test,
    testing::Values(CodePageCase { u"Icon", "Icon" }, CodePageCase { u"é ÿ ß", "\xE9 \xFF \xDF" },
        CodePageCase { u"€‚ƒ„…†‡ˆ‰Š‹ŒŽ", "\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E" },
        CodePageCase {
            u"‘’“”•–—˜™š›œžŸ", "\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9E\x9F" },
        CodePageCase { u"ā ő Ș ǖ", "a o S \xFC" }, CodePageCase { u"ł 日 😀", "? ? ?" },
        CodePageCase { u"\u0081\u0080", "\x81?" }, CodePageCase { u"e\u0301 \u0301", "\xE9 ?" }));

class ExportTest : public testing::Test
{
protected:
    Raster sheet = Raster::white(4, 2);
    test::TempDir dir;
};

TEST_F(ExportTest, WritesImageAndNameListBesideEachOther)
{
    const ExportedFiles files
        = exportSheet(sheet, { u"a"_s, u"b"_s }, dir.filePath(QStringLiteral("my.icons.png")));
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
        = failureOf([&] { exportSheet(sheet, { u"a"_s }, dir.filePath(QStringLiteral("sheet"))); });
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
        = failureOf([&] { exportSheet(sheet, { u"a"_s }, dir.filePath(QStringLiteral("sheet"))); });
    EXPECT_TRUE(message.startsWith(QStringLiteral("Datei \"%1\"").arg(names)));
    EXPECT_TRUE(dir.read(QStringLiteral("sheet.png")).startsWith("\x89PNG"));
    EXPECT_EQ(dir.read(QStringLiteral("sheet.txt")), QByteArray("old names"));
}

TEST_F(ExportTest, FolderWithoutWritePermissionFails)
{
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()), 0555), 0);
    const QString message
        = failureOf([&] { exportSheet(sheet, { u"a"_s }, dir.filePath(QStringLiteral("sheet"))); });
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
        replaceFile(path, [](QIODevice &out) {
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
    EXPECT_THROW(exportSheet(Raster::white(0, 48), { u"a"_s }, image), Error);
    EXPECT_EQ(dir.read(QStringLiteral("sheet.png")), QByteArray("old image"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("sheet.txt"))));
}

} // namespace
} // namespace quiltmap::sheet
