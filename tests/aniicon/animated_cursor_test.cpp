#include "ani_test_files.h"
#include "aniicon/animated_cursor.h"
#include "aniicon/chunk_cursor.h"
#include "busy_animation/ani_builder.h"
#include "png_builder/png_builder.h"

#include <gtest/gtest.h>

namespace quiltmap::aniicon {
namespace {

using namespace anibuilder;
using namespace aniicon::test;

const QString ReadError = QStringLiteral("Stream-Lesefehler");

QByteArray rateEntries(std::initializer_list<qint32> values)
{
    QByteArray bytes;
    for (const qint32 value : values)
        bytes += anibuilder::littleEndian32(value);
    return bytes;
}

struct LayoutCase
{
    const char *name;
    QByteArray beforeHeader;
    int frames;
};

TEST(AnimatedCursor, AcceptsThreeLayoutsBeforeTheHeaderOnly)
{
    const QByteArray oddTitle = chunk("INAM", QByteArray("Busy!")) + '\0';
    const QByteArray author = chunk("IART", QByteArray("Quil"));
    const LayoutCase cases[] = {
        { "header first", {}, 6 },
        { "empty INFO list", chunk("LIST", QByteArray("INFO")), 6 },
        { "INFO list of two sub-chunks, one odd", chunk("LIST", "INFO" + oddTitle + author), 6 },
        { "INFO list of one sub-chunk", chunk("LIST", "INFO" + oddTitle), 0 },
        { "INFO list of three sub-chunks",
            chunk("LIST", "INFO" + oddTitle + author + chunk("ICOP", QByteArray(40, 'c'))), 0 },
    };
    for (const LayoutCase &layout : cases) {
        SCOPED_TRACE(layout.name);
        AnimatedCursor cursor;
        loadError(cursor, riffAcon(layout.beforeHeader + headerAndFrames(6)));
        EXPECT_EQ(loadedColours(cursor), coloursOf(layout.frames));
    }
}

TEST(AnimatedCursor, ReadsHeaderAndGivesEveryFrameSlotItsRate)
{
    AnimatedCursor cursor;
    cursor.load(animation(3, 7));
    EXPECT_EQ(cursor.header().cbSizeof, 36);
    EXPECT_EQ(cursor.header().cFrames, 3);
    EXPECT_EQ(cursor.header().jifRate, 7);
    EXPECT_EQ(cursor.header().fl, 1);
    EXPECT_EQ(cursor.rates()[0], 7);
    EXPECT_EQ(cursor.rates()[63], 7);
    EXPECT_EQ(cursor.rates()[64], 0);
}

TEST(AnimatedCursor, LoadsAtMost64FramesAndLowersTheCount)
{
    AnimatedCursor cursor;
    cursor.load(animation(70));
    EXPECT_EQ(loadedFrames(cursor), 64);
    EXPECT_EQ(cursor.header().cFrames, 64);
    EXPECT_EQ(cursor.frame(63).pixel(0, 0), frameColour(63));
}

TEST(AnimatedCursor, RateChunkSetsTicksPerFrame)
{
    AnimatedCursor cursor;
    cursor.load(riffAcon(aniHeaderChunk({ 3, 3, 10, 1 }) + chunk("rate", rateEntries({ 2, 4, 6 }))
        + frameList(solidFrames(3))));
    // Rates 2, 4 and 6 hold the frames for 2, 3 and 4 ticks.
    EXPECT_EQ(framesAfterTicks(cursor, 10), (std::vector<int> { 0, 1, 1, 1, 2, 2, 2, 2, 0, 0 }));
    EXPECT_EQ(cursor.rates()[3], 10);
}

TEST(AnimatedCursor, SequenceIsKeptButPlaybackFollowsStoredOrder)
{
    AnimatedCursor cursor;
    cursor.load(riffAcon(aniHeaderChunk({ 3, 3, 2, 1 }) + chunk("rate", rateEntries({ 2, 2, 2 }))
        + chunk("seq ", rateEntries({ 2, 1, 0 })) + frameList(solidFrames(3))));
    EXPECT_EQ(cursor.sequence()[0], 2);
    EXPECT_EQ(cursor.sequence()[1], 1);
    EXPECT_EQ(cursor.sequence()[2], 0);
    EXPECT_EQ(framesAfterTicks(cursor, 6), (std::vector<int> { 0, 1, 1, 2, 2, 0 }));
}

TEST(AnimatedCursor, RateAfterSequenceEndsReadingBeforeTheFrames)
{
    AnimatedCursor cursor;
    EXPECT_EQ(loadError(cursor,
                  riffAcon(aniHeaderChunk({ 3, 3, 2, 1 }) + chunk("seq ", rateEntries({ 0, 1, 2 }))
                      + chunk("rate", rateEntries({ 4, 4, 4 })) + frameList(solidFrames(3)))),
        QString());
    EXPECT_EQ(loadedFrames(cursor), 0);
    EXPECT_EQ(cursor.rates()[0], 2);
}

TEST(AnimatedCursor, ShortFrameChunkEndsTheFrameList)
{
    QList<QByteArray> frames = solidFrames(4);
    frames[2] = QByteArray(765, 'x');
    AnimatedCursor cursor;
    EXPECT_EQ(
        loadError(cursor, riffAcon(aniHeaderChunk({ 4, 4, 2, 1 }) + frameList(frames))), QString());
    EXPECT_EQ(loadedColours(cursor), coloursOf(2));
    EXPECT_EQ(loadedFrames(cursor), 2);
    EXPECT_EQ(framesAfterTicks(cursor, 8), (std::vector<int> { 0, 1, 1, 0, 0, 1, 1, 0 }));
}

TEST(AnimatedCursor, RefusedImageLeavesItsSlotEmptyAndLoadingGoesOn)
{
    QList<QByteArray> frames = solidFrames(3);
    frames[1] = cursorFile(QByteArray(800, 'x'), {});
    AnimatedCursor cursor;
    cursor.load(riffAcon(aniHeaderChunk({ 3, 3, 2, 1 }) + frameList(frames)));
    EXPECT_FALSE(cursor.frame(0).isNull());
    EXPECT_TRUE(cursor.frame(1).isNull());
    EXPECT_FALSE(cursor.frame(2).isNull());
    // The advance wraps at the empty slot, so frame 2 never shows.
    EXPECT_EQ(framesAfterTicks(cursor, 4), (std::vector<int> { 0, 0, 0, 0 }));
}

TEST(AnimatedCursor, SkipsBytesBeforeAnImageAndDecodesPngFrames)
{
    pngbuilder::PngRecipe png;
    png.width = 2;
    png.samples = { 255, 0, 0, 255, 0, 0, 255, 128 };
    const std::vector<std::uint8_t> pngBytes = pngbuilder::buildPng(png);
    CursorEntry entry;
    entry.imageOffset = DirectorySize + 800;
    const QByteArray pngFrame = cursorFile(
        QByteArray(reinterpret_cast<const char *>(pngBytes.data()), qsizetype(pngBytes.size())),
        entry);
    AnimatedCursor cursor;
    cursor.load(riffAcon(aniHeaderChunk({ 2, 2, 10, 1 }) + frameList({ pngFrame, pngFrame })));
    ASSERT_EQ(loadedFrames(cursor), 2);
    EXPECT_EQ(cursor.frame(1).width, 2);
    EXPECT_EQ(cursor.frame(1).pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(cursor.frame(1).pixel(1, 0), 0x800000FFu);
}

TEST(AnimatedCursor, DataWithoutFrameListKeepsThePreviousFramesPlaying)
{
    AnimatedCursor cursor;
    cursor.load(animation(3, 2));
    framesAfterTicks(cursor, 2);
    ASSERT_EQ(cursor.currentFrame(), 1);

    cursor.load(riffAcon(aniHeaderChunk({ 1, 1, 4, 1 }) + chunk("junk", QByteArray("abcd"))));
    EXPECT_EQ(loadedColours(cursor), coloursOf(3));
    EXPECT_EQ(cursor.header().jifRate, 4);
    EXPECT_EQ(framesAfterTicks(cursor, 4), (std::vector<int> { 1, 1, 2, 2 }));
}

struct CapacityCase
{
    const char *name;
    QByteArray bytes;
    bool fails;
    int frames;
};

// Chunks beyond the reader's work areas, and negative counts, fail the load like data that runs
// out; what was read before stays.
TEST(AnimatedCursor, ChunksBeyondTheWorkAreasFailTheLoad)
{
    const auto withInfo = [](const QByteArray &firstSubChunk) {
        return riffAcon(chunk("LIST", "INFO" + firstSubChunk + chunk("IART", QByteArray("Quil")))
            + headerAndFrames(3));
    };
    const auto withRate = [](const QByteArray &rateChunk) {
        return riffAcon(aniHeaderChunk({ 3, 3, 2, 1 }) + rateChunk + frameList(solidFrames(3)));
    };
    const auto withThirdFrame = [](const QByteArray &thirdChunk) {
        QByteArray frames("fram");
        for (const QByteArray &frame : solidFrames(2))
            frames += chunk("icon", frame);
        return riffAcon(aniHeaderChunk({ 3, 3, 2, 1 }) + chunk("LIST", frames + thirdChunk));
    };
    const QByteArray blackBitmap = iconBitmap(
        16, 16, 32, {}, std::vector<quint32>(256, 0xFF000000u), std::vector<bool>(256, false));
    CursorEntry imageAtTheGapBound;
    imageAtTheGapBound.imageOffset = DirectorySize + 20001;
    CursorEntry farImage;
    farImage.imageOffset = DirectorySize + 20002;
    CursorEntry imageAfterChunk;
    imageAfterChunk.imageOffset = 2000;
    const CapacityCase cases[] = {
        { "INFO sub-chunk of 511 bytes and its pad",
            withInfo(chunk("INAM", 511, QByteArray(512, 'n'))), false, 3 },
        { "INFO sub-chunk of 513 bytes and its pad",
            withInfo(chunk("INAM", 513, QByteArray(514, 'n'))), true, 0 },
        { "INFO sub-chunk of negative size", withInfo(chunk("INAM", -4, {})), true, 0 },
        { "rate of 128 entries", withRate(chunk("rate", QByteArray(512, '\1'))), false, 3 },
        { "rate of 129 entries", withRate(chunk("rate", QByteArray(516, '\1'))), true, 0 },
        { "rate of negative size", withRate(chunk("rate", -4, {})), true, 0 },
        { "seq of 128 entries", withRate(chunk("seq ", QByteArray(512, '\1'))), false, 3 },
        { "seq of 129 entries", withRate(chunk("seq ", QByteArray(516, '\1'))), true, 0 },
        { "frame image of 20001 bytes",
            withThirdFrame(chunk("icon", cursorFile(QByteArray(20001, 'x'), {}))), false, 2 },
        { "frame image of 20002 bytes",
            withThirdFrame(chunk("icon", cursorFile(QByteArray(20002, 'x'), {}))), true, 2 },
        { "20001 bytes before the image",
            withThirdFrame(chunk("icon", cursorFile(blackBitmap, imageAtTheGapBound))), false, 3 },
        { "more than 20001 bytes before the image",
            withThirdFrame(chunk("icon", cursorFile(solidFrame(0xFF000000u), farImage))), true, 2 },
        { "image offset beyond the chunk",
            withThirdFrame(chunk("icon", 800, cursorFile(QByteArray(800, 'x'), imageAfterChunk))),
            true, 2 },
    };
    for (const CapacityCase &capacity : cases) {
        SCOPED_TRACE(capacity.name);
        AnimatedCursor cursor;
        EXPECT_EQ(loadError(cursor, capacity.bytes), capacity.fails ? ReadError : QString());
        EXPECT_EQ(loadedFrames(cursor), capacity.frames);
        EXPECT_EQ(cursor.bytes(), capacity.bytes);
    }
}

TEST(AnimatedCursor, RateOf128EntriesFillsTheWholeTable)
{
    QByteArray rates;
    for (int i = 0; i < AnimatedCursor::RateEntries; ++i)
        rates += anibuilder::littleEndian32(i + 1);
    AnimatedCursor cursor;
    cursor.load(riffAcon(
        aniHeaderChunk({ 1, 1, 10, 1 }) + chunk("rate", rates) + frameList(solidFrames(1))));
    EXPECT_EQ(cursor.rates()[0], 1);
    EXPECT_EQ(cursor.rates()[127], 128);
}

TEST(AnimatedCursor, EmptyDataParsesToNothing)
{
    AnimatedCursor cursor;
    cursor.load(animation(2));
    EXPECT_EQ(loadError(cursor, {}), QString());
    EXPECT_EQ(loadedFrames(cursor), 2);
}

TEST(AnimatedCursor, SelectFrameFallsBackToFrameZero)
{
    AnimatedCursor cursor;
    cursor.load(animation(2, 10));
    const struct
    {
        int asked;
        int selected;
    } cases[] = { { 1, 1 }, { 70, 0 }, { -1, 0 }, { 4, 0 }, { 64, 0 } };
    for (const auto &select : cases) {
        SCOPED_TRACE(select.asked);
        framesAfterTicks(cursor, 1);
        cursor.selectFrame(select.asked);
        EXPECT_EQ(cursor.currentFrame(), select.selected);
        EXPECT_EQ(cursor.jiffies(), 0);
    }
}

struct ChunkNameCase
{
    QByteArray id;
    const char *keyword;
    bool names;
};

TEST(ChunkNames, ComparesTheIdentifierWithoutBlanksUpToItsFirstZero)
{
    const ChunkNameCase cases[] = {
        { "anih", "anih", true },
        { "seq ", "seq", true },
        { QByteArray("seq\0", 4), "seq", true },
        { " seq", "seq", true },
        { "s eq", "seq", true },
        { "xseq", "seq", true },
        { "LIST", "LIST", true },
        { "list", "LIST", false },
        { QByteArray("LI\0T", 4), "LIST", false },
        { QByteArray("\0LIS", 4), "LIST", false },
        { "RATE", "rate", false },
    };
    for (const ChunkNameCase &name : cases) {
        SCOPED_TRACE(name.id.toStdString());
        EXPECT_EQ(chunkNames({ name.id, 0 }, name.keyword), name.names);
    }
}

} // namespace
} // namespace quiltmap::aniicon
