#include "common/error.h"
#include "settings/profile_file.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace quiltmap::settings {
namespace {

using test::TempDir;

QString readFrom(const QByteArray &bytes, const QString &section, const QString &key)
{
    TempDir dir;
    return ProfileFile(dir.write(QStringLiteral("s.ini"), bytes))
        .readString(section, key, QStringLiteral("<default>"));
}

struct LookupCase
{
    const char *name;
    QByteArray file;
    const char16_t *section;
    const char16_t *key;
    const char16_t *expected;
};

void PrintTo(const LookupCase &c, std::ostream *out)
{
    *out << c.name;
}

class ProfileLookup : public testing::TestWithParam<LookupCase>
{
};

TEST_P(ProfileLookup, FindsValueByTheReadingRules)
{
    const LookupCase &c = GetParam();
    EXPECT_EQ(readFrom(c.file, QString::fromUtf16(c.section), QString::fromUtf16(c.key)),
        QString::fromUtf16(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Rules, ProfileLookup,
    testing::Values(
        LookupCase { "MissingSection", "[Work]\nA=1\n", u"Options", u"A", u"<default>" },
        LookupCase { "MissingKey", "[Work]\nA=1\n", u"Work", u"B", u"<default>" },
        LookupCase {
            "KeyOfOtherSection", "[Work]\nA=1\n[Options]\n", u"Options", u"A", u"<default>" },
        LookupCase { "KeyBeforeAnySection", "A=1\n[Work]\n", u"Work", u"A", u"<default>" },
        LookupCase { "LowerCaseKeyAndSection", "[options]\ntilesperrow=7\n", u"Options",
            u"TilesPerRow", u"7" },
        LookupCase { "UpperCaseNames", "[WORK]\nLASTICONPATH=x\n", u"Work", u"LastIconpath", u"x" },
        LookupCase { "BlanksAroundNamesAndValue", " [ Work ] \n\t A \t=  two words \t\n", u"Work",
            u"A", u"two words" },
        LookupCase { "DoubleQuotes", "[W]\nA = \" padded \"\n", u"W", u"A", u" padded " },
        LookupCase { "SingleQuotes", "[W]\nA='x'\n", u"W", u"A", u"x" },
        LookupCase { "MismatchedQuotesKept", "[W]\nA=\"x'\n", u"W", u"A", u"\"x'" },
        LookupCase { "LoneQuoteKept", "[W]\nA=\"\n", u"W", u"A", u"\"" },
        LookupCase { "EqualsInValue", "[W]\nA=b=c\n", u"W", u"A", u"b=c" },
        LookupCase { "EmptyValue", "[W]\nA=\n", u"W", u"A", u"" },
        LookupCase { "FirstOfTwoKeys", "[W]\nA=1\nA=2\n", u"W", u"A", u"1" },
        LookupCase { "SecondSectionOfSameName", "[W]\nB=1\n[X]\n[w]\nA=2\n", u"W", u"A", u"2" },
        LookupCase { "CommentIsNoKey", "[W]\n;A=1\n#A=2\n", u"W", u"A", u"<default>" },
        LookupCase { "LineWithoutEqualsIsNoKey", "[W]\nA\n", u"W", u"A", u"<default>" },
        LookupCase { "CarriageReturnLineBreaks", "[W]\r\nA=1\r\n", u"W", u"A", u"1" },
        LookupCase { "LastLineWithoutBreak", "[W]\nA=1", u"W", u"A", u"1" },
        LookupCase { "Utf8",
            "[W]\nA=Gr\xC3\xB6\xC3\x9F"
            "e\n",
            u"W", u"A", u"Größe" },
        LookupCase { "Utf8WithBom", "\xEF\xBB\xBF[W]\nA=\xC3\xA4\n", u"W", u"A", u"ä" },
        LookupCase { "Windows1252",
            "[W]\nA=Gr\xF6\xDF"
            "e \x80\x81\n",
            u"W", u"A", u"Größe €\u0081" },
        LookupCase { "Utf16LittleEndian", QByteArray("\xFF\xFE[\0W\0]\0\n\0A\0=\0\xE4\0", 16), u"W",
            u"A", u"ä" },
        LookupCase { "Utf16BigEndian", QByteArray("\xFE\xFF\0[\0W\0]\0\n\0A\0=\0\xE4", 16), u"W",
            u"A", u"ä" }),
    [](const auto &testCase) { return std::string(testCase.param.name); });

TEST(ProfileFile, ReadsDefaultWithoutFileOrFromAFolder)
{
    TempDir dir;
    EXPECT_EQ(ProfileFile(dir.filePath(QStringLiteral("none.ini")))
                  .readString(u"W", u"A", QStringLiteral("d")),
        QStringLiteral("d"));
    EXPECT_EQ(
        ProfileFile(dir.path()).readString(u"W", u"A", QStringLiteral("d")), QStringLiteral("d"));
}

TEST(ProfileFile, CutsLongValuesTo2047Characters)
{
    const QString value = QString(2046, u'a') + QStringLiteral("bcdef");
    EXPECT_EQ(readFrom("[W]\nA=" + value.toUtf8() + '\n', QStringLiteral("W"), QStringLiteral("A")),
        value.first(2047));
    // A character outside the basic plane is not cut in half.
    const QString pair = QString(2046, u'a') + QStringLiteral("\U0001F600");
    EXPECT_EQ(readFrom("[W]\nA=" + pair.toUtf8() + '\n', QStringLiteral("W"), QStringLiteral("A")),
        QString(2046, u'a'));
}

TEST(ProfileFile, WrittenValuesReadBackUnchanged)
{
    TempDir dir;
    const ProfileFile file(dir.filePath(QStringLiteral("s.ini")));
    const QStringList values { QString(), QStringLiteral(" leading"), QStringLiteral("trailing\t"),
        QStringLiteral("'quoted'"), QStringLiteral("\"x\""), QStringLiteral("\""),
        QStringLiteral("a=b"), QStringLiteral("; not a comment"), QStringLiteral("[not a section]"),
        QStringLiteral("ā€😀"), QString(3000, u'x') };
    for (const QString &value : values) {
        file.writeString(u"W", u"A", value);
        EXPECT_EQ(file.readString(u"W", u"A", QStringLiteral("d")),
            value.first(std::min<qsizetype>(value.size(), 2047)));
    }
}

TEST(ProfileFile, LineBreaksInAValueCannotAddLines)
{
    TempDir dir;
    const ProfileFile file(dir.filePath(QStringLiteral("s.ini")));
    file.writeString(u"W", u"A", u"x\n[W]\r\nB=injected");
    EXPECT_EQ(file.readString(u"W", u"A", QString()), QStringLiteral("x [W]  B=injected"));
    EXPECT_EQ(file.readString(u"W", u"B", QStringLiteral("none")), QStringLiteral("none"));
}

TEST(ProfileFile, Windows1252FileTakesUtf8WhenItMustNotLoseText)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("s.ini"), "; f\xFCr\n[W]\nA=\xE9\n");
    const ProfileFile file(path);
    // Still expressible in the code page: the file stays in it.
    file.writeString(u"W", u"B", u"Größe");
    EXPECT_EQ(dir.read(QStringLiteral("s.ini")),
        "; f\xFCr\n[W]\nA=\xE9\nB=Gr\xF6\xDF"
        "e\n");
    // These bytes alone would be valid UTF-8 and read back as one other character.
    file.writeString(u"W", u"A", u"Ã©");
    file.writeString(u"W", u"B", u"ā");
    EXPECT_EQ(file.readString(u"W", u"A", QString()), QStringLiteral("Ã©"));
    EXPECT_EQ(file.readString(u"W", u"B", QString()), QStringLiteral("ā"));
    EXPECT_EQ(
        dir.read(QStringLiteral("s.ini")), QStringLiteral("; für\n[W]\nA=Ã©\nB=ā\n").toUtf8());
}

TEST(ProfileFile, ManyWritesKeepHandWrittenLines)
{
    TempDir dir;
    const QByteArray hand = "; mine\n[Extra]\nKeep = me \n\n[W]\nodd line\n";
    const QString path = dir.write(QStringLiteral("s.ini"), hand);
    const ProfileFile file(path);
    for (int i = 0; i < 50; ++i)
        file.writeString(u"W", u"A", QString::number(i));
    EXPECT_EQ(dir.read(QStringLiteral("s.ini")), hand + "A=49\n");
}

TEST(ProfileFile, ReplacesAtomicallyAndKeepsPermissions)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("s.ini"), "[W]\nA=1\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    for (int i = 0; i < 5; ++i)
        ProfileFile(path).writeString(u"W", u"A", QString::number(i));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList { QStringLiteral("s.ini") });
    EXPECT_EQ(QFile::permissions(path),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser
            | QFile::ReadGroup);
}

TEST(ProfileFile, WritesThroughALinkToItsTarget)
{
    TempDir dir;
    const QString target = dir.write(QStringLiteral("real.ini"), "[W]\nA=1\n");
    const QString link = dir.filePath(QStringLiteral("link.ini"));
    ASSERT_TRUE(QFile::link(target, link));
    ProfileFile(link).writeString(u"W", u"A", u"2");
    EXPECT_EQ(QFile::symLinkTarget(link), target);
    EXPECT_EQ(dir.read(QStringLiteral("real.ini")), "[W]\nA=2\n");
}

void expectRefused(const ProfileFile &file, QStringView value = u"new")
{
    try {
        file.writeString(u"W", u"A", value);
        FAIL() << "write was not refused";
    } catch (const Error &error) {
        EXPECT_EQ(error.message(), u"In " + file.path() + u" kann nicht geschrieben werden");
    }
}

TEST(ProfileFile, ReadOnlyFileRefusesTheWriteAndStaysUnchanged)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("s.ini"), "[W]\nA=old\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    expectRefused(ProfileFile(path));
    EXPECT_EQ(dir.read(QStringLiteral("s.ini")), "[W]\nA=old\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(ProfileFile, ReadOnlyFolderRefusesTheWriteAndStaysUnchanged)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("s.ini"), "[W]\nA=old\n");
    const QString missing = dir.filePath(QStringLiteral("missing.ini"));
    const auto writable = QFile::permissions(dir.path());
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    expectRefused(ProfileFile(path));
    expectRefused(ProfileFile(missing));
    QFile::setPermissions(dir.path(), writable);
    EXPECT_EQ(dir.read(QStringLiteral("s.ini")), "[W]\nA=old\n");
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

// What the atomic replacement is for: a write that the system stops half-way (here at a file
// size limit, as on a full disk) leaves the old file byte for byte and no other file behind.
TEST(ProfileFile, WriteFailingHalfWayLeavesTheOldFile)
{
    TempDir dir;
    const QByteArray old = "[W]\nA=old\n" + QByteArray(2000, ';') + '\n';
    const QString path = dir.write(QStringLiteral("s.ini"), old);
    {
        const test::FileSizeLimit limit(4096);
        expectRefused(ProfileFile(path), QString(8192, u'n'));
    }
    EXPECT_EQ(dir.read(QStringLiteral("s.ini")), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(ProfileFile, MissingFolderOrAFolderInPlaceOfTheFileRefusesTheWrite)
{
    TempDir dir;
    expectRefused(ProfileFile(dir.filePath(QStringLiteral("no/such/s.ini"))));
    expectRefused(ProfileFile(dir.path()));
}

TEST(ProfileFile, FileAtTheSizeLimitIsReadAndWritten)
{
    TempDir dir;
    const QByteArray head = "[W]\nA=1\n;";
    const QString path = dir.write(QStringLiteral("s.ini"),
        head + QByteArray(kMaxProfileFileBytes - head.size() - 1, 'x') + '\n');
    EXPECT_EQ(ProfileFile(path).readString(u"W", u"A", QStringLiteral("d")), QStringLiteral("1"));
    ProfileFile(path).writeString(u"W", u"A", u"2");
    EXPECT_EQ(ProfileFile(path).readString(u"W", u"A", QStringLiteral("d")), QStringLiteral("2"));
    EXPECT_EQ(QFileInfo(path).size(), kMaxProfileFileBytes);
    // One byte more than the limit allows is refused, and the file stays as it was.
    expectRefused(ProfileFile(path), u"22");
    EXPECT_EQ(QFileInfo(path).size(), kMaxProfileFileBytes);
}

TEST(ProfileFile, FileBeyondTheSizeLimitIsNeitherReadNorWritten)
{
    TempDir dir;
    const QByteArray big = "[W]\nA=1\n;" + QByteArray(kMaxProfileFileBytes, 'x');
    const QString path = dir.write(QStringLiteral("s.ini"), big);
    EXPECT_EQ(ProfileFile(path).readString(u"W", u"A", QStringLiteral("d")), QStringLiteral("d"));
    expectRefused(ProfileFile(path));
    EXPECT_EQ(dir.read(QStringLiteral("s.ini")), big);
}

} // namespace
} // namespace quiltmap::settings
