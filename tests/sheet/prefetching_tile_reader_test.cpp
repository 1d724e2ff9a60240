#include "common/error.h"
#include "sheet/prefetching_tile_reader.h"

#include <atomic>
#include <gtest/gtest.h>

namespace quiltmap::sheet::test {
namespace {

using namespace Qt::StringLiterals;

// Gives each file a tile as wide as its number plus one, refuses the file "bad" and counts reads.
class NumberedReader : public TileReader
{
public:
    Tile read(const QString &path) override
    {
        ++reads;
        if (path == u"bad")
            throw Error(u"cannot read bad"_s);
        const int width = path.toInt() + 1;
        return Tile(width, 1, Tile::Blend::Replace, std::vector<std::uint8_t>(3 * width));
    }
    QSize readSize(const QString &) const override { return {}; }

    mutable std::atomic<int> reads { 0 };
};

TEST(PrefetchingTileReader, GivesEachFileWhatTheInnerReaderGives)
{
    QStringList paths;
    for (int i = 0; i < 100; ++i)
        paths.append(QString::number(i));
    paths[40] = u"bad"_s;
    for (const unsigned threads : { 1u, 3u }) {
        NumberedReader inner;
        PrefetchingTileReader reader(inner, paths, threads);
        for (int i = 0; i < 100; ++i) {
            if (i % 10 == 7)
                continue; // passed over, as a skipped tile is
            if (i == 40) {
                EXPECT_THROW(reader.read(paths[i]), Error);
                EXPECT_THROW(reader.read(paths[i]), Error) << "read again";
                continue;
            }
            EXPECT_EQ(reader.read(paths[i]).width(), i + 1) << threads << " threads";
        }
        EXPECT_EQ(reader.read(u"5"_s).width(), 6) << "read again";
        EXPECT_EQ(reader.read(u"500"_s).width(), 501) << "not given";
    }
}

TEST(PrefetchingTileReader, DecodesEachFileOnceWhenReadInOrder)
{
    QStringList paths;
    for (int i = 0; i < 200; ++i)
        paths.append(QString::number(i));
    NumberedReader inner;
    {
        PrefetchingTileReader reader(inner, paths, 2);
        for (const QString &path : paths)
            reader.read(path);
    }
    EXPECT_EQ(inner.reads, 200);
}

TEST(PrefetchingTileReader, ReadsOnlyAFewAheadAndStopsWhenDropped)
{
    QStringList paths;
    for (int i = 0; i < 1000; ++i)
        paths.append(QString::number(i));
    NumberedReader inner;
    {
        PrefetchingTileReader reader(inner, paths, 2);
        EXPECT_EQ(reader.read(u"0"_s).width(), 1);
    }
    EXPECT_LE(inner.reads, 1 + 2 * 8 + 2);
}

} // namespace
} // namespace quiltmap::sheet::test
