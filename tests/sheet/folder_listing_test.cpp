#include "common/error.h"
#include "sheet/folder_listing.h"
#include "sheet/name_order.h"
#include "sheet/wildcard.h"
#include "support/temp_dir.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quiltmap::sheet {
namespace {

using namespace Qt::StringLiterals;

// Listing moves the process into the listed folder; each test starts and ends where it began.
class FolderListingTest : public testing::Test
{
protected:
    ~FolderListingTest() override { QDir::setCurrent(m_start); }

    void touch(const QString &name) const { m_dir.write(name, "x"); }

    QStringList list(const QString &mask = FolderListing::defaultMask()) const
    {
        FolderListing listing(mask);
        listing.applyFilePath(m_dir.path());
        return listing.names();
    }

    test::TempDir m_dir;

private:
    QString m_start = QDir::currentPath();
};

TEST_F(FolderListingTest, MergesAllPatternsIntoOneCaseInsensitiveOrder)
{
    for (const QString &name : { u"c.png"_s, u"B.jpg"_s, u"a.PNG"_s, u"d.gif"_s, u"e.bmp"_s,
             u"pngfile"_s, u"f.png.txt"_s })
        touch(name);
    EXPECT_EQ(list(), (QStringList { u"a.PNG"_s, u"B.jpg"_s, u"c.png"_s, u"e.bmp"_s }));
}

TEST_F(FolderListingTest, SortsDigitsAsCharacters)
{
    for (const QString &name : { u"tile2.png"_s, u"tile10.png"_s, u"tile1.png"_s })
        touch(name);
    EXPECT_EQ(list(), (QStringList { u"tile1.png"_s, u"tile10.png"_s, u"tile2.png"_s }));
}

TEST_F(FolderListingTest, ListsOnlyVisibleRegularFilesAndWhatLinksPointTo)
{
    touch(QStringLiteral("plain.png"));
    touch(QStringLiteral(".hidden.png"));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder.png")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(m_dir.filePath(QStringLiteral("pipe.png"))), 0600), 0);
    ASSERT_TRUE(QFile::link(
        m_dir.filePath(QStringLiteral("plain.png")), m_dir.filePath(QStringLiteral("link.png"))));
    ASSERT_TRUE(QFile::link(m_dir.filePath(QStringLiteral("folder.png")),
        m_dir.filePath(QStringLiteral("dirlink.png"))));
    ASSERT_TRUE(QFile::link(
        m_dir.filePath(QStringLiteral("missing")), m_dir.filePath(QStringLiteral("broken.png"))));
    EXPECT_EQ(list(), (QStringList { u"link.png"_s, u"plain.png"_s }));
}

TEST_F(FolderListingTest, ListsANameOncePerMatchingPatternAndSkipsEmptyPatterns)
{
    touch(QStringLiteral("a.png"));
    touch(QStringLiteral("b.png"));
    EXPECT_EQ(list(QStringLiteral("*.PNG;;a?png;")),
        (QStringList { u"a.png"_s, u"a.png"_s, u"b.png"_s }));
}

TEST_F(FolderListingTest, LeavesTheProcessInTheListedFolder)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("sub")));
    touch(QStringLiteral("sub/x.png"));
    QDir::setCurrent(m_dir.path());
    FolderListing listing;
    listing.applyFilePath(QStringLiteral("sub"));
    EXPECT_EQ(listing.names(), QStringList { u"x.png"_s });
    const QString sub = QDir(m_dir.filePath(QStringLiteral("sub"))).canonicalPath();
    EXPECT_EQ(listing.folder(), sub);
    EXPECT_EQ(QDir::currentPath(), sub);
    // A relative text now resolves against the listed folder.
    EXPECT_THROW(listing.applyFilePath(QStringLiteral("sub")), Error);
}

TEST_F(FolderListingTest, ReadsAgainOnlyWhenAskedOrWhenTheFolderChanges)
{
    touch(QStringLiteral("a.png"));
    FolderListing listing;
    listing.applyFilePath(m_dir.path());
    touch(QStringLiteral("b.png"));
    listing.applyFilePath(m_dir.path() + QStringLiteral("/."));
    EXPECT_EQ(listing.count(), 1);
    listing.reread();
    EXPECT_EQ(listing.names(), (QStringList { u"a.png"_s, u"b.png"_s }));
}

TEST_F(FolderListingTest, FailsWhenTheFolderHasVanished)
{
    const QString folder = m_dir.filePath(QStringLiteral("gone"));
    ASSERT_TRUE(QDir().mkdir(folder));
    FolderListing listing;
    listing.applyFilePath(folder);
    QDir::setCurrent(m_dir.path());
    ASSERT_TRUE(QDir().rmdir(folder));
    EXPECT_THROW(listing.reread(), Error);
    EXPECT_THROW(FolderListing().applyFilePath(folder), Error);
}

TEST_F(FolderListingTest, AReadAbandonedOrSupersededWhileWaitingDeliversNothing)
{
    for (int i = 0; i < 1000; ++i)
        touch(QStringLiteral("t%1.png").arg(i));
    // Patterns that match nothing keep the read going long enough to be waited for.
    FolderListing listing(u"*.png"_s + u";x*"_s.repeated(1000));
    listing.applyFilePath(m_dir.path());
    const QStringList all = listing.names();
    ASSERT_EQ(all.size(), 1000);
    EXPECT_FALSE(listing.reread([] { return false; }));
    EXPECT_TRUE(listing.names().isEmpty());
    bool nested = false;
    EXPECT_FALSE(listing.reread([&] {
        if (!nested) {
            nested = true;
            EXPECT_TRUE(listing.reread([] { return true; }));
        }
        return true;
    }));
    EXPECT_EQ(listing.names(), all);
}

// With the mask "a*;b*" every "b" name is added after all 100 "a" names and sorts behind
// them, so the first one lands at index 100 whatever order the file system delivers.
TEST_F(FolderListingTest, SignalsBusyWhenANameLandsAtIndex100)
{
    for (int i = 0; i < 100; ++i)
        touch(QStringLiteral("a%1.png").arg(i, 3, 10, QLatin1Char('0')));
    for (int i = 0; i < 5; ++i)
        touch(QStringLiteral("b%1.png").arg(i));
    QStringList events;
    const auto listWith = [&](const QString &mask) {
        FolderListing listing(mask);
        listing.setBusyHooks({ [&] { events << QStringLiteral("begin"); },
            [&] { events << QStringLiteral("end"); } });
        listing.applyFilePath(m_dir.path());
        events << QStringLiteral("listed:%1").arg(listing.count());
    };
    listWith(QStringLiteral("a*;b*"));
    EXPECT_EQ(events, (QStringList { u"begin"_s, u"end"_s, u"listed:105"_s }));
    // "b" names first: the later "a" names all go before them, never to index 100.
    events.clear();
    listWith(QStringLiteral("b*;a*"));
    EXPECT_EQ(events, QStringList { u"listed:105"_s });
}

TEST(NameOrder, ReportsWhereEachNameLands)
{
    NameOrder ascending;
    NameOrder descending;
    for (int i = 0; i < 150; ++i) {
        EXPECT_EQ(ascending.insert(QStringLiteral("n%1").arg(i, 3, 10, QLatin1Char('0'))), i);
        EXPECT_EQ(
            descending.insert(QStringLiteral("n%1").arg(149 - i, 3, 10, QLatin1Char('0'))), 0);
    }
    EXPECT_EQ(ascending.takeNames(), descending.takeNames());
}

TEST(NameOrder, PlacesManyNamesAsOneSortedListWould)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    QStringList sorted;
    NameOrder order;
    // Enough names, some equal but for case, to split the order into many parts.
    for (quint32 i = 0, n = 1; i < 12000; ++i, n = n * 1103515245u + 12345u) {
        const QString name = QString::number(n % 5000) + (n & 0x10000 ? u"a"_s : u"A"_s);
        const auto place = std::upper_bound(sorted.begin(), sorted.end(), name,
            [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
        const qsizetype position = place - sorted.begin();
        sorted.insert(position, name);
        ASSERT_EQ(order.insert(name), position) << i;
    }
    EXPECT_EQ(order.takeNames(), sorted);
}

TEST(NameOrder, KeepsEqualNamesAdjacentInArrivalOrder)
{
    NameOrder order;
    for (const QString &name : { u"b"_s, u"A"_s, u"B"_s, u"a"_s, u"c"_s, u"b"_s })
        order.insert(name);
    EXPECT_EQ(order.takeNames(), (QStringList { u"A"_s, u"a"_s, u"b"_s, u"B"_s, u"b"_s, u"c"_s }));
}

struct WildcardCase
{
    const char *pattern;
    const char *name;
    bool matches;
};

void PrintTo(const WildcardCase &c, std::ostream *os)
{
    *os << c.pattern << " ~ " << c.name;
}

class WildcardTest : public testing::TestWithParam<WildcardCase>
{
};

TEST_P(WildcardTest, MatchesCaseInsensitively)
{
    const WildcardCase c = GetParam();
    EXPECT_EQ(matchesWildcard(QString::fromUtf8(c.pattern), QString::fromUtf8(c.name)), c.matches)
        << c.pattern << " " << c.name;
}

INSTANTIATE_TEST_SUITE_P(Table, WildcardTest,
    testing::Values(WildcardCase { "*.png", "a.png", true },
        WildcardCase { "*.png", "A.PNG", true }, WildcardCase { "*.png", ".png", true },
        WildcardCase { "*.png", "a.png.txt", false }, WildcardCase { "*.png", "apng", false },
        WildcardCase { "*.png", "a.pngpng.png", true }, WildcardCase { "?.png", "ab.png", false },
        WildcardCase { "?.png", "Ä.PNG", true }, WildcardCase { "a*b*c", "aXbYbZc", true },
        WildcardCase { "a*b*c", "aXbYc1", false }, WildcardCase { "", "", false },
        WildcardCase { "*", "", true }, WildcardCase { "ä*", "Änderung", true }));

} // namespace
} // namespace quiltmap::sheet
