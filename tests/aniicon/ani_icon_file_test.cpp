#include "ani_test_files.h"
#include "aniicon/ani_icon_file.h"
#include "aniicon/chunk_cursor.h"
#include "busy_animation/ani_builder.h"
#include "common/error.h"
#include "png_builder/png_builder.h"
#include "support/temp_dir.h"

#include <QBuffer>
#include <QDir>
#include <gtest/gtest.h>

namespace quiltmap::aniicon {
namespace {

using namespace anibuilder;
using namespace aniicon::test;

const QString ReadError = QStringLiteral("Stream-Lesefehler");

std::vector<quint32> coloursOf(int frames)
{
    std::vector<quint32> colours;
    for (int i = 0; i < frames; ++i)
        colours.push_back(frameColour(i));
    return colours;
}

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

TEST(TAniIconFile, AcceptsThreeLayoutsBeforeTheHeaderOnly)
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
        TAniIconFile file;
        loadError(file, riffAcon(layout.beforeHeader + headerAndFrames(6)));
        EXPECT_EQ(loadedColours(file), coloursOf(layout.frames));
    }
}

TEST(TAniIconFile, ReadsHeaderAndGivesEveryFrameSlotItsRate)
{
    TAniIconFile file;
    file.setData(animation(3, 7));
    EXPECT_EQ(file.aniheader().cbSizeof, 36);
    EXPECT_EQ(file.aniheader().cFrames, 3);
    EXPECT_EQ(file.aniheader().jifRate, 7);
    EXPECT_EQ(file.aniheader().fl, 1);
    EXPECT_EQ(file.jifrates()[0], 7);
    EXPECT_EQ(file.jifrates()[63], 7);
    EXPECT_EQ(file.jifrates()[64], 0);
    EXPECT_TRUE(file.HasData());
}

TEST(TAniIconFile, LoadsAtMost64FramesAndLowersTheCount)
{
    TAniIconFile file;
    file.setData(animation(70));
    EXPECT_EQ(loadedFrames(file), 64);
    EXPECT_EQ(file.aniheader().cFrames, 64);
    EXPECT_EQ(file.frame(63).pixel(0, 0), frameColour(63));
}

TEST(TAniIconFile, RateChunkSetsTicksPerFrame)
{
    TAniIconFile file;
    file.setData(riffAcon(aniHeaderChunk({ 3, 3, 10, 1 }) + chunk("rate", rateEntries({ 2, 4, 6 }))
        + frameList(solidFrames(3))));
    // Rates 2, 4 and 6 hold the frames for 2, 3 and 4 ticks.
    EXPECT_EQ(framesAfterTicks(file, 10), (std::vector<int> { 0, 1, 1, 1, 2, 2, 2, 2, 0, 0 }));
    EXPECT_EQ(file.jifrates()[3], 10);
}

TEST(TAniIconFile, SequenceIsKeptButPlaybackFollowsStoredOrder)
{
    TAniIconFile file;
    file.setData(riffAcon(aniHeaderChunk({ 3, 3, 2, 1 }) + chunk("rate", rateEntries({ 2, 2, 2 }))
        + chunk("seq ", rateEntries({ 2, 1, 0 })) + frameList(solidFrames(3))));
    EXPECT_EQ(file.sequences()[0], 2);
    EXPECT_EQ(file.sequences()[1], 1);
    EXPECT_EQ(file.sequences()[2], 0);
    EXPECT_EQ(framesAfterTicks(file, 6), (std::vector<int> { 0, 1, 1, 2, 2, 0 }));
}

TEST(TAniIconFile, RateAfterSequenceEndsReadingBeforeTheFrames)
{
    TAniIconFile file;
    EXPECT_EQ(loadError(file,
                  riffAcon(aniHeaderChunk({ 3, 3, 2, 1 }) + chunk("seq ", rateEntries({ 0, 1, 2 }))
                      + chunk("rate", rateEntries({ 4, 4, 4 })) + frameList(solidFrames(3)))),
        QString());
    EXPECT_EQ(loadedFrames(file), 0);
    EXPECT_EQ(file.jifrates()[0], 2);
}

TEST(TAniIconFile, ShortFrameChunkEndsTheFrameList)
{
    QList<QByteArray> frames = solidFrames(4);
    frames[2] = QByteArray(765, 'x');
    TAniIconFile file;
    EXPECT_EQ(
        loadError(file, riffAcon(aniHeaderChunk({ 4, 4, 2, 1 }) + frameList(frames))), QString());
    EXPECT_EQ(loadedColours(file), coloursOf(2));
    EXPECT_EQ(loadedFrames(file), 2);
    EXPECT_EQ(framesAfterTicks(file, 8), (std::vector<int> { 0, 1, 1, 0, 0, 1, 1, 0 }));
}

TEST(TAniIconFile, RefusedImageLeavesItsSlotEmptyAndLoadingGoesOn)
{
    QList<QByteArray> frames = solidFrames(3);
    frames[1] = cursorFile(QByteArray(800, 'x'), {});
    TAniIconFile file;
    file.setData(riffAcon(aniHeaderChunk({ 3, 3, 2, 1 }) + frameList(frames)));
    EXPECT_FALSE(file.frame(0).isNull());
    EXPECT_TRUE(file.frame(1).isNull());
    EXPECT_FALSE(file.frame(2).isNull());
    // The advance wraps at the empty slot, so frame 2 never shows.
    EXPECT_EQ(framesAfterTicks(file, 4), (std::vector<int> { 0, 0, 0, 0 }));
}

TEST(TAniIconFile, SkipsBytesBeforeAnImageAndDecodesPngFrames)
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
    TAniIconFile file;
    file.setData(riffAcon(aniHeaderChunk({ 2, 2, 10, 1 }) + frameList({ pngFrame, pngFrame })));
    ASSERT_EQ(loadedFrames(file), 2);
    EXPECT_EQ(file.frame(1).width, 2);
    EXPECT_EQ(file.frame(1).pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(file.frame(1).pixel(1, 0), 0x800000FFu);
}

TEST(TAniIconFile, DataWithoutFrameListKeepsThePreviousFramesPlaying)
{
    TAniIconFile file;
    file.setData(animation(3, 2));
    framesAfterTicks(file, 2);
    ASSERT_EQ(file.CurFrame(), 1);

    file.setData(riffAcon(aniHeaderChunk({ 1, 1, 4, 1 }) + chunk("junk", QByteArray("abcd"))));
    EXPECT_EQ(loadedColours(file), coloursOf(3));
    EXPECT_EQ(file.aniheader().jifRate, 4);
    EXPECT_TRUE(file.HasData());
    EXPECT_EQ(framesAfterTicks(file, 4), (std::vector<int> { 1, 1, 2, 2 }));
}

TEST(TAniIconFile, DataCutInAFrameFailsAndKeepsWhatWasRead)
{
    TAniIconFile file;
    file.setData(animation(4, 2));
    framesAfterTicks(file, 2);
    file.setHasData(false);
    int changes = 0;
    file.setOnChange([&](TAniIconFile *) { ++changes; });

    const QByteArray whole = animation(4, 2);
    const QByteArray cut = whole.left(whole.indexOf("icon", 12 + 44 + 12 + 2 * 1158) + 500);
    EXPECT_EQ(loadError(file, cut), ReadError);
    EXPECT_EQ(loadedColours(file), coloursOf(2));
    EXPECT_EQ(file.Data(), cut);
    EXPECT_FALSE(file.HasData());
    EXPECT_EQ(changes, 0);
    // The playback position is not reset by a failed rebuild.
    EXPECT_EQ(file.CurFrame(), 1);
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
TEST(TAniIconFile, ChunksBeyondTheWorkAreasFailTheLoad)
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
        { "seq of 129 entries", withRate(chunk("seq ", QByteArray(516, '\1'))), true, 0 },
        { "frame image of 20001 bytes",
            withThirdFrame(chunk("icon", cursorFile(QByteArray(20001, 'x'), {}))), false, 2 },
        { "frame image of 20002 bytes",
            withThirdFrame(chunk("icon", cursorFile(QByteArray(20002, 'x'), {}))), true, 2 },
        { "more than 20001 bytes before the image",
            withThirdFrame(chunk("icon", cursorFile(solidFrame(0xFF000000u), farImage))), true, 2 },
        { "image offset beyond the chunk",
            withThirdFrame(chunk("icon", 800, cursorFile(QByteArray(800, 'x'), imageAfterChunk))),
            true, 2 },
    };
    for (const CapacityCase &capacity : cases) {
        SCOPED_TRACE(capacity.name);
        TAniIconFile file;
        EXPECT_EQ(loadError(file, capacity.bytes), capacity.fails ? ReadError : QString());
        EXPECT_EQ(loadedFrames(file), capacity.frames);
        EXPECT_EQ(file.Data(), capacity.bytes);
    }
}

TEST(TAniIconFile, RateOf128EntriesFillsTheWholeTable)
{
    QByteArray rates;
    for (int i = 0; i < TAniIconFile::RateEntries; ++i)
        rates += anibuilder::littleEndian32(i + 1);
    TAniIconFile file;
    file.setData(riffAcon(
        aniHeaderChunk({ 1, 1, 10, 1 }) + chunk("rate", rates) + frameList(solidFrames(1))));
    EXPECT_EQ(file.jifrates()[0], 1);
    EXPECT_EQ(file.jifrates()[127], 128);
}

TEST(TAniIconFile, EmptyDataParsesToNothing)
{
    TAniIconFile file;
    file.setData(animation(2));
    EXPECT_EQ(loadError(file, {}), QString());
    EXPECT_EQ(loadedFrames(file), 2);
}

TEST(TAniIconFile, LoadFromStreamReadsFromTheFirstByteWithoutNotifying)
{
    QByteArray bytes = animation(3);
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    buffer.seek(buffer.size());
    TAniIconFile file;
    int changes = 0;
    file.setOnChange([&](TAniIconFile *) { ++changes; });
    file.LoadFromStream(&buffer);
    file.LoadFromStream(nullptr);
    EXPECT_EQ(loadedFrames(file), 3);
    EXPECT_TRUE(file.HasData());
    EXPECT_EQ(file.Data(), bytes);
    EXPECT_EQ(changes, 0);
}

TEST(TAniIconFile, LoadFromFileTakesOnlyExistingAniFiles)
{
    quiltmap::test::TempDir dir;
    const QByteArray bytes = animation(2);
    dir.write(QStringLiteral("busy.ani"), bytes);
    dir.write(QStringLiteral("BUSY2.AnI"), bytes);
    dir.write(QStringLiteral("busy.cur"), bytes);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.ani")));
    const struct
    {
        const char *name;
        bool loads;
    } cases[] = { { "busy.ani", true }, { "BUSY2.AnI", true }, { "busy.cur", false },
        { "missing.ani", false }, { "folder.ani", false } };
    for (const auto &fileCase : cases) {
        SCOPED_TRACE(fileCase.name);
        TAniIconFile file;
        int changes = 0;
        file.setOnChange([&](TAniIconFile *) { ++changes; });
        file.LoadFromFile(dir.filePath(QLatin1String(fileCase.name)));
        EXPECT_EQ(loadedFrames(file), fileCase.loads ? 2 : 0);
        EXPECT_EQ(file.HasData(), fileCase.loads);
        EXPECT_EQ(changes, fileCase.loads ? 1 : 0);
    }
}

TEST(TAniIconFile, SaveToStreamWritesTheKeptBytesAtThePosition)
{
    TAniIconFile file;
    const QByteArray bytes = animation(1);
    file.setData(bytes);
    QByteArray written("xy");
    QBuffer buffer(&written);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly | QIODevice::Append));
    file.SaveToStream(&buffer);
    file.SaveToStream(nullptr);
    EXPECT_EQ(written, "xy" + bytes);
}

TEST(TAniIconFile, AssignCopiesAnotherAnimationWithoutNotifying)
{
    TAniIconFile source;
    source.setData(animation(3));
    TAniIconFile file;
    int changes = 0;
    file.setOnChange([&](TAniIconFile *) { ++changes; });
    file.Assign(&source);
    EXPECT_EQ(loadedColours(file), coloursOf(3));
    EXPECT_EQ(file.Data(), source.Data());
    EXPECT_TRUE(file.HasData());
    EXPECT_EQ(changes, 0);
}

TEST(TAniIconFile, AssignOfNullEmptiesAllButThePlaybackPosition)
{
    TAniIconFile file;
    file.setData(animation(3, 0));
    framesAfterTicks(file, 1);
    file.Assign(nullptr);
    EXPECT_EQ(loadedFrames(file), 0);
    EXPECT_TRUE(file.Data().isEmpty());
    EXPECT_FALSE(file.HasData());
    EXPECT_EQ(file.CurFrame(), 1);
    EXPECT_TRUE(file.currentFrame().isNull());
}

TEST(TAniIconFile, AssignOfAnythingElseFailsAndChangesNothing)
{
    TAniIconFile file;
    file.setData(animation(2));
    QObject other;
    try {
        file.Assign(&other);
        FAIL() << "assigning a QObject succeeded";
    } catch (const Error &error) {
        EXPECT_EQ(error.message(),
            QStringLiteral("QObject kann nicht zu TAniIconFile zugewiesen werden"));
    }
    EXPECT_EQ(loadedFrames(file), 2);
    EXPECT_TRUE(file.HasData());
}

TEST(TAniIconFile, SelectFrameFallsBackToFrameZero)
{
    TAniIconFile file;
    file.setData(animation(2, 10));
    const struct
    {
        int asked;
        int selected;
    } cases[] = { { 1, 1 }, { 70, 0 }, { -1, 0 }, { 4, 0 }, { 64, 0 } };
    for (const auto &select : cases) {
        SCOPED_TRACE(select.asked);
        framesAfterTicks(file, 1);
        file.SelectFrame(select.asked);
        EXPECT_EQ(file.CurFrame(), select.selected);
        EXPECT_EQ(file.JifCount(), 0);
    }
}

TEST(TAniIconFile, TickNotifiesOnlyWhenTheFrameAdvances)
{
    TAniIconFile file;
    file.setData(animation(2, 4));
    std::vector<int> notified;
    file.setOnChange([&](TAniIconFile *sender) { notified.push_back(sender->CurFrame()); });
    framesAfterTicks(file, 9);
    EXPECT_EQ(notified, (std::vector<int> { 1, 0, 1 }));
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
