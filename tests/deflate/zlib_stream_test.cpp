#include "deflate/adler32.h"
#include "deflate/block_coder.h"
#include "deflate/block_layout.h"
#include "deflate/segment_parse.h"
#include "deflate/stream_tuning.h"
#include "support/classic_zlib.h"

#include <atomic>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <string>
#include <zlib.h>

namespace quiltmap::deflate::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t allAtOnce = std::size_t(1) << 40;

// What zlib itself writes at the sheet's settings when handed `feedSize` bytes per call.
Bytes zlibReference(const Bytes &data, std::size_t feedSize)
{
    z_stream z {};
    EXPECT_EQ(deflateInit2(&z, 7, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    Bytes out(deflateBound(&z, uLong(data.size())) + 64);
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    for (std::size_t at = 0; at < data.size();) {
        const std::size_t n = std::min(feedSize, data.size() - at);
        z.next_in = const_cast<Bytef *>(data.data() + at);
        z.avail_in = uInt(n);
        EXPECT_EQ(::deflate(&z, Z_NO_FLUSH), Z_OK);
        at += n;
    }
    EXPECT_EQ(::deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

Bytes noise(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (std::uint8_t &b : bytes)
        b = std::uint8_t(random());
    return bytes;
}

// Rows as the sheet writer hands them over: a filter byte, then pictures on a plain ground
// with a little noise, so matches of every length and distance turn up.
Bytes sheetRows(std::size_t width, std::size_t height, unsigned seed)
{
    std::mt19937 random(seed);
    const std::size_t rowSize = 1 + 3 * width;
    Bytes rows(rowSize * height);
    for (std::size_t y = 0; y < height; ++y) {
        std::uint8_t *row = rows.data() + y * rowSize;
        row[0] = 1;
        for (std::size_t i = 1; i < rowSize; ++i) {
            const std::size_t x = (i - 1) / 3;
            const bool picture = x % 48 < 40 && y % 48 < 40 && (x / 48 + y / 48) % 5 != 0;
            row[i] = picture        ? std::uint8_t((x * y) >> 5)
                : random() % 9 == 0 ? std::uint8_t(random() % 4)
                                    : 0;
        }
    }
    return rows;
}

Bytes runs(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes bytes;
    while (bytes.size() < size)
        bytes.insert(bytes.end(), std::min<std::size_t>(random() % 2000, size - bytes.size()),
            std::uint8_t(random() % 3));
    return bytes;
}

// Random bytes with the 20 bytes at 32768 repeated where zlib's buffer first slides. Fed 255
// bytes per call, zlib slides right there and forgets the first copy; fed all at once, it
// slides one step later and uses it.
Bytes repeatAtTheSlide()
{
    Bytes bytes = noise(80000, 6);
    std::memcpy(bytes.data() + 65274, bytes.data() + 32768, 20);
    return bytes;
}

// Four-valued noise where 12 other bytes at 40000 repeat exactly as far back as zlib looks,
// and the 3 before them 100 bytes back: the short match waits for the far one, the first and
// only candidate.
Bytes repeatAtTheLimit()
{
    std::mt19937 random(13);
    Bytes bytes(50000);
    for (std::uint8_t &b : bytes)
        b = std::uint8_t(random() % 4);
    const std::size_t p = 40000;
    for (std::size_t i = p - 1; i < p + 12; ++i)
        bytes[i] = std::uint8_t(random() | 0x10);
    std::memcpy(bytes.data() + p - maxDistance, bytes.data() + p, 12);
    std::memcpy(bytes.data() + p - 101, bytes.data() + p - 1, 3);
    bytes[p - 102] = bytes[p - 2] ^ 1;
    return bytes;
}

// Noise where a 258-byte match ends exactly at the first slide point and the string there
// repeats exactly as far back as zlib looks. Fed 100 bytes per call, zlib slides right after the
// match and forgets the far copy; a parse that started at the slide point would not slide.
Bytes matchEndingAtTheSlide()
{
    const std::size_t p = WindowModel::slidePoint(1);
    Bytes bytes = noise(p + 2000, 6);
    std::memcpy(bytes.data() + p - maxMatch, bytes.data() + p - maxMatch - 1000, maxMatch);
    std::memcpy(bytes.data() + p, bytes.data() + p - maxDistance, 20);
    return bytes;
}

// 938 bytes of 200 values, whose block codes in exactly 4 bytes more than the bytes themselves:
// on that tie zlib stores the block.
Bytes storingTiesWithCoding()
{
    std::mt19937 random(200);
    Bytes bytes(938);
    for (std::uint8_t &b : bytes)
        b = std::uint8_t(random() % 200);
    return bytes;
}

struct Case
{
    std::string name;
    Bytes data;
    std::size_t feedSize;
};

std::vector<Case> cases()
{
    return {
        { "empty", {}, 1 },
        { "one byte", { 7 }, 1 },
        { "zero rows", Bytes(300000, 0), 3001 },
        { "noise stored", noise(100000, 1), allAtOnce },
        { "noise in rows", noise(100000, 2), 255 },
        { "noise just under a block", noise(16383, 3), allAtOnce },
        { "noise filling a block", noise(16384, 4), allAtOnce },
        { "noise just over a block", noise(16385, 5), allAtOnce },
        { "runs", runs(400000, 6), 1000 },
        { "rows just over 32 KiB", sheetRows(10923, 1, 7), 32770 },
        { "sheet rows", sheetRows(700, 500, 8), 2101 },
        { "sheet rows at once", sheetRows(700, 500, 8), allAtOnce },
        { "repeat at the slide in rows", repeatAtTheSlide(), 255 },
        { "repeat at the slide at once", repeatAtTheSlide(), allAtOnce },
        { "sheet rows over several stretches", sheetRows(1500, 1300, 9), 4501 },
        { "repeat at the limit", repeatAtTheLimit(), allAtOnce },
        { "match ending at the slide in rows", matchEndingAtTheSlide(), 100 },
        { "noise stored over several stretches", noise(3 << 20, 14), 65536 },
    };
}

TEST(ZlibStream, MatchesZlibByteForByteOnAnyThreadCount)
{
    QUILTMAP_SKIP_UNLESS_CLASSIC_ZLIB();
    for (const Case &c : cases()) {
        const Bytes expected = zlibReference(c.data, c.feedSize);
        for (const unsigned threads : { 1u, 3u })
            EXPECT_EQ(zlibStream(c.data, c.feedSize, threads), expected)
                << c.name << ", " << threads << " threads";
    }
}

// All 0xff bytes push both sums as far as they go before they are reduced.
TEST(Adler32, MatchesZlibAtAnyLengthStartAndByteValue)
{
    const Bytes random = noise(40000, 11);
    const Bytes full(40000, 0xff);
    for (const Bytes *bytes : { &random, &full }) {
        for (const std::size_t length :
            { 0, 1, 15, 16, 17, 5551, 5552, 5553, 5568, 11104, 40000 }) {
            for (const std::uint32_t start : { 1u, 0xfff0fff0u }) {
                const std::span<const std::uint8_t> part(bytes->data(), length);
                EXPECT_EQ(adler32(start, part), adler32_z(start, part.data(), part.size()))
                    << length << " bytes from " << start;
            }
        }
    }
}

// The buffer's slides make zlib's bytes depend on how the input was cut into calls.
TEST(ZlibStream, ZlibItselfDependsOnHowTheInputWasCut)
{
    QUILTMAP_SKIP_UNLESS_CLASSIC_ZLIB();
    const Bytes data = repeatAtTheSlide();
    EXPECT_NE(zlibReference(data, 255), zlibReference(data, allAtOnce));
}

TEST(ZlibStream, StopsWhenTheSinkRefuses)
{
    const Bytes data = sheetRows(1500, 1300, 10);
    int calls = 0;
    EXPECT_FALSE(writeZlibStream(
        data.size(), allAtOnce, 2,
        [&](std::size_t from, std::span<std::uint8_t> out) {
            std::memcpy(out.data(), data.data() + from, out.size());
        },
        [&](std::span<const std::uint8_t>) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);
}

Bytes inflated(const Bytes &stream)
{
    z_stream z {};
    EXPECT_EQ(inflateInit(&z), Z_OK);
    Bytes out;
    std::uint8_t buffer[65536];
    z.next_in = const_cast<Bytef *>(stream.data());
    z.avail_in = uInt(stream.size());
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = buffer;
        z.avail_out = sizeof buffer;
        status = inflate(&z, Z_NO_FLUSH);
        out.insert(out.end(), buffer, z.next_out);
    }
    EXPECT_EQ(status, Z_STREAM_END);
    inflateEnd(&z);
    return out;
}

// Streams that the classic zlib 1.2.13 wrote at the sheet's settings, fed `feedSize` bytes per
// call (golden/README.md): they hold our bytes to its bytes where the linked zlib is another.
// Each one's input is what it inflates to.
TEST(ZlibStream, MatchesTheClassicZlibsGoldenStreams)
{
    const std::pair<const char *, std::size_t> golden[] = {
        { "repeat-at-the-slide.feed-255", 255 },
        { "repeat-at-the-slide.feed-all", allAtOnce },
        { "repeat-at-the-limit.feed-all", allAtOnce },
        { "match-ending-at-the-slide.feed-100", 100 },
        { "storing-ties-with-coding.feed-all", allAtOnce },
        { "noise-just-over-a-block.feed-all", allAtOnce },
        { "sheet-rows.feed-901", 901 },
        { "runs.feed-1000", 1000 },
    };
    for (const auto &[name, feedSize] : golden) {
        std::ifstream file(std::string(QUILTMAP_GOLDEN_DIR "/") + name + ".zlib", std::ios::binary);
        ASSERT_TRUE(file) << name;
        const Bytes stream { std::istreambuf_iterator<char>(file), {} };
        const Bytes data = inflated(stream);
        for (const unsigned threads : { 1u, 3u })
            EXPECT_EQ(zlibStream(data, feedSize, threads), stream) << name << ", " << threads;
    }
}

// Positions past 4 GiB parse as those a multiple of the window and the feed lower do: nothing
// is cut to 32 bits. The parse crosses 2^32 where a parser renews its chains' heads.
TEST(ParseStretch, ParsesTheSameBeyondFourGiB)
{
    const Bytes data = sheetRows(400, 300, 15);
    const std::size_t feedSize = 4096;
    const std::size_t base = (std::size_t(1) << 32) - 4 * windowSize;
    const Symbols expected = parseStretch({ data, 0 }, WindowModel(data.size(), feedSize),
        { windowSize, {}, windowSize - 1 }, data.size(), 1, 1)
                                 .symbols;
    const WindowModel far(base + data.size(), feedSize);
    for (const std::size_t segments : { std::size_t(1), std::size_t(5) })
        EXPECT_EQ(parseStretch({ data, base }, far,
                      { base + windowSize, {}, base + windowSize - 1 }, far.total(), segments, 2)
                      .symbols,
            expected)
            << segments << " segments";
}

// What the stream releases is never asked for again, and it releases most of the input by the
// end, so that a caller can hold only a window of it.
TEST(ZlibStream, NeverReadsWhatItReleased)
{
    const Bytes data = sheetRows(1000, 1000, 12);
    std::atomic<std::size_t> released = 0;
    std::atomic<bool> readReleased = false;
    writeZlibStream(
        data.size(), allAtOnce, 2,
        [&](std::size_t from, std::span<std::uint8_t> out) {
            readReleased = readReleased || from < released;
            std::memcpy(out.data(), data.data() + from, out.size());
        },
        [](std::span<const std::uint8_t>) { return true; },
        [&](std::size_t position) {
            EXPECT_GE(position, released.load());
            released = position;
        });
    EXPECT_FALSE(readReleased);
    EXPECT_GT(released.load(), data.size() / 2);
}

// Guessed parses of small segments must meet the true parse and hand over exactly its symbols,
// also where segments start at a slide point, inside a long match or in stored noise.
TEST(ParseStretch, GuessedSegmentsGiveTheTrueParse)
{
    Bytes data = sheetRows(300, 400, 11);
    const Bytes loud = noise(70000, 12);
    std::copy(loud.begin(), loud.end(), data.begin() + 120000);
    for (const std::size_t feedSize : { std::size_t(901), allAtOnce }) {
        const WindowModel window(data.size(), feedSize);
        const InputView input { data, 0 };
        const StretchParse whole = parseStretch(input, window, {}, data.size(), 1, 1);
        for (const std::size_t segments : { std::size_t(2), std::size_t(7), std::size_t(70) }) {
            const StretchParse cut = parseStretch(input, window, {}, data.size(), segments, 3);
            EXPECT_TRUE(cut.finished);
            EXPECT_EQ(cut.symbols, whole.symbols) << segments << " segments, feed " << feedSize;
            EXPECT_LE(cut.reparsed, segments / 4) << segments << " segments";
        }
        const std::size_t slidePoint = WindowModel::slidePoint(3);
        const StretchParse atSlide
            = parseStretch(input, window, {}, data.size(), data.size() / slidePoint, 2);
        EXPECT_EQ(atSlide.symbols, whole.symbols) << "segments at slide points";
    }
}

TEST(ZlibStream, StoresABlockWhenStoringTiesWithCoding)
{
    const Bytes data = storingTiesWithCoding();
    const StretchParse parse
        = parseStretch({ data, 0 }, WindowModel(data.size(), allAtOnce), {}, data.size(), 1, 1);
    const CodedBlock coded = codeBlock(
        parse.symbols, data.size(), true, []() -> const std::uint8_t * { return nullptr; });
    ASSERT_EQ((coded.bitCount + 7) / 8, data.size() + 4);
    QUILTMAP_SKIP_UNLESS_CLASSIC_ZLIB();
    EXPECT_EQ(zlibStream(data, allAtOnce, 1), zlibReference(data, allAtOnce));
}

// At a slide point a step depends on where the step before it was: a guessed parse that starts
// there may not stand in for the true one arriving from a long match.
TEST(ParseStretch, GuessedSegmentsDoNotMeetAtASlidePoint)
{
    const Bytes data = matchEndingAtTheSlide();
    const WindowModel window(data.size(), 100);
    const InputView input { data, 0 };
    const std::size_t slide = WindowModel::slidePoint(1);
    for (const std::size_t secondBegins : { slide - 1, slide, slide + 1 })
        EXPECT_EQ(parseStretch(input, window, {}, 2 * secondBegins, 2, 2).symbols,
            parseStretch(input, window, {}, 2 * secondBegins, 1, 1).symbols)
            << secondBegins;
}

// zlib may store a block only while its bytes are still in its 64 KiB buffer.
TEST(BlockLayout, StoresOnlyBlocksStillBuffered)
{
    Symbols longMatches { literal(0) };
    longMatches.resize(16383, match(1, maxMatch));
    const std::size_t longTotal = 1 + 16382 * std::size_t(maxMatch);
    const WindowModel longWindow(longTotal, allAtOnce);
    const BlockLayout spread(longMatches, 0, 0, true, longWindow);
    ASSERT_EQ(spread.newBlocks().size(), 2u);
    EXPECT_FALSE(spread.stillBuffered(spread.newBlocks()[0]));
    EXPECT_TRUE(spread.stillBuffered(spread.newBlocks()[1]));

    const Symbols literals(3 * 16383, literal(1));
    const WindowModel literalWindow(literals.size(), allAtOnce);
    const BlockLayout dense(literals, 0, 0, true, literalWindow);
    for (const BlockSpan &block : dense.newBlocks())
        EXPECT_TRUE(dense.stillBuffered(block)) << block.begin;
}

} // namespace
} // namespace quiltmap::deflate::test
