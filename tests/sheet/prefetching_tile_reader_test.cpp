#include "common/error.h"
#include "sheet/prefetching_tile_reader.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace quiltmap::sheet::test {
namespace {

using namespace Qt::StringLiterals;

// Gives each file of the folder "d" a tile as wide as its number plus one, refuses the file "bad"
// and counts reads.
class NumberedReader : public TileReader
{
public:
    Tile read(const QString &path) override
    {
        ++reads;
        if (path == u"d/bad")
            throw Error(u"cannot read bad"_s);
        const int width = path.mid(2).toInt() + 1;
        return Tile(width, rows, Tile::Blend::Replace, std::vector<std::uint8_t>(3 * width * rows));
    }
    QSize readSize(const QString &) const override { return {}; }

    int rows = 1;
    mutable std::atomic<int> reads { 0 };
};

QStringList numbers(int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(QString::number(i));
    return names;
}

TEST(PrefetchingTileReader, GivesEachFileWhatTheInnerReaderGives)
{
    QStringList names = numbers(300);
    names[40] = u"bad"_s;
    for (const unsigned threads : { 1u, 3u }) {
        NumberedReader inner;
        PrefetchingTileReader reader(inner, u"d"_s, names, threads);
        for (int i = 0; i < 300; ++i) {
            if (i % 10 == 7 || (i > 100 && i < 250))
                continue; // passed over, as a skipped tile is, a few or many at a time
            if (i == 40) {
                EXPECT_THROW(reader.read(u"d/bad"_s), Error);
                EXPECT_THROW(reader.read(u"d/bad"_s), Error) << "read again";
                continue;
            }
            EXPECT_EQ(reader.read(u"d/"_s + names[i]).width(), i + 1) << threads << " threads";
        }
        EXPECT_EQ(reader.read(u"d/5"_s).width(), 6) << "read again";
        EXPECT_EQ(reader.read(u"d/500"_s).width(), 501) << "not given";
        EXPECT_EQ(reader.read(u"e/5"_s).width(), 6) << "another folder";
    }
}

TEST(PrefetchingTileReader, DecodesEachFileOnceWhenReadInOrder)
{
    NumberedReader inner;
    {
        const QStringList names = numbers(200);
        PrefetchingTileReader reader(inner, u"d"_s, names, 2);
        for (const QString &name : names)
            EXPECT_EQ(reader.read(u"d/"_s + name).width(), name.toInt() + 1);
    }
    EXPECT_EQ(inner.reads, 200);
}

TEST(PrefetchingTileReader, ReadsOnlyAFewAheadAndStopsWhenDropped)
{
    NumberedReader inner;
    {
        PrefetchingTileReader reader(inner, u"d"_s, numbers(1000), 2);
        EXPECT_EQ(reader.read(u"d/0"_s).width(), 1);
    }
    EXPECT_LE(inner.reads, 1 + 2 * 8 + 2);
}

TEST(PrefetchingTileReader, HoldsLargeTilesOnlyAFewMiBAheadAndTakesTheFirstTileGiven)
{
    NumberedReader inner;
    inner.rows = 1 << 17; // file n takes 384 KiB x (n + 1)
    const QStringList names = numbers(24);
    {
        PrefetchingTileReader reader(inner, u"d"_s, names, 2,
            ReadTile { u"d/0"_s, Tile(7, 1, Tile::Blend::Replace, std::vector<std::uint8_t>(21)) });
        EXPECT_EQ(reader.read(u"d/0"_s).width(), 7);
        // Files 1 to 7 hold 13 MiB of the 16: each thread may start one more, no further.
        while (inner.reads < 8)
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_LE(inner.reads, 9);
        for (int i = 1; i < names.size(); ++i)
            EXPECT_EQ(reader.read(u"d/"_s + names[i]).width(), i + 1);
    }
    EXPECT_EQ(inner.reads, 23);
}

} // namespace
} // namespace quiltmap::sheet::test
