#include "deflate/zlib_stream.h"

#include "deflate/adler32.h"
#include "deflate/bit_writer.h"
#include "deflate/block_coder.h"
#include "deflate/block_layout.h"
#include "deflate/parallel_for.h"
#include "deflate/segment_parse.h"
#include "deflate/stream_tuning.h"
#include "deflate/stretch_input.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <zlib.h>

namespace quiltmap::deflate {
namespace {

// 32 KiB window, deflate, and the flag zlib gives levels 7 to 9, checked modulo 31.
constexpr std::uint8_t header[2] { 0x78, 0xda };
// Input kept before a stretch: the window to prime, and the bytes of a block zlib may store. A
// block the stretch completes ends at a step in the stretch, and zlib stores it only while its
// first byte is in zlib's buffer, which then reaches less than 64 KiB back.
constexpr std::size_t keptBehind = 2 * windowSize + 1024;
// Input read past a stretch: the last match may run 257 bytes on and looks 258 bytes ahead.
constexpr std::size_t keptAhead = 1024;
constexpr std::size_t checksumPart = std::size_t(1) << 20;
constexpr std::size_t fillPart = std::size_t(1) << 20;

uLong addToChecksum(
    uLong sum, std::span<const std::uint8_t> bytes, unsigned threads, JobObserver *jobs)
{
    const std::size_t parts = (bytes.size() + checksumPart - 1) / checksumPart;
    std::vector<uLong> sums(parts);
    const auto part = [&](std::size_t i) {
        return bytes.subspan(
            i * checksumPart, std::min(checksumPart, bytes.size() - i * checksumPart));
    };
    parallelFor(
        parts, threads, [&](std::size_t i) { sums[i] = adler32(1, part(i)); }, jobs);
    for (std::size_t i = 0; i < parts; ++i)
        sum = adler32_combine(sum, sums[i], z_off_t(part(i).size()));
    return sum;
}

// The stream made stretch by stretch: each stretch's input is read and parsed in segments, and
// the blocks it completes are coded while the next stretch is parsed; a block's last symbols may
// wait for the next stretch. Stretches start small so that work starts early when the input
// comes late.
class StretchedStream
{
public:
    StretchedStream(
        std::size_t total, std::size_t feedSize, unsigned threads, const StreamTuning &tuning)
        : m_window(total, feedSize)
        , m_threads(threads)
        , m_tuning(tuning)
        // One segment per thread: the previous stretch's blocks fill a thread whose segment
        // ends early.
        , m_segments(threads)
    {
        m_out.putBytes(header, sizeof header);
    }

    bool write(const InputSource &source, const OutputSink &sink, const InputRelease &release)
    {
        while (!m_finished) {
            const std::size_t end
                = std::min(m_window.total(), m_point.position + m_segments * m_segmentSize);
            read(source, release, end);
            // A short last stretch is parsed by every thread too: a segment as small as the
            // first stretch's pays for its start, and one thread alone would end the stream.
            const std::size_t first = m_tuning.firstSegmentSize;
            const std::size_t parts = std::clamp<std::size_t>(
                (end - m_point.position + first - 1) / first, 1, m_segments);
            m_segmentSize = std::min(m_tuning.segmentSize, 2 * m_segmentSize);
            StretchParser parser(m_parsers, m_window, m_point, end, parts, symbolsKept());
            const std::size_t segments = parser.segmentCount();
            inParallel(segments + blocksToCode() + 1, [&](std::size_t i) {
                if (i < segments)
                    parser.parseSegment(i);
                else
                    codeOrSink(i - segments, sink);
            });
            if (!m_sinkTook)
                return false;
            assemble();
            StretchParse parsed = parser.join(std::move(m_symbols));
            m_symbols = std::move(parsed.symbols);
            m_point = parsed.end;
            m_finished = parsed.finished;
            layOut();
        }
        inParallel(blocksToCode() + 1, [&](std::size_t i) { codeOrSink(i, sink); });
        if (!m_sinkTook)
            return false;
        assemble();
        m_out.align();
        const auto sum = std::uint32_t(m_checksum);
        const std::uint8_t trailer[4] { std::uint8_t(sum >> 24), std::uint8_t(sum >> 16),
            std::uint8_t(sum >> 8), std::uint8_t(sum) };
        m_out.putBytes(trailer, sizeof trailer);
        return sink(m_out.take());
    }

private:
    void inParallel(std::size_t count, const std::function<void(std::size_t)> &job)
    {
        parallelFor(count, m_threads, job, m_tuning.jobs);
    }

    // Reads the stretch's input into the memory the last assembled blocks gave back. The parse
    // only moves forward, so no later stretch reads before this one's start.
    void read(const InputSource &source, const InputRelease &release, std::size_t stretchEnd)
    {
        const std::size_t start = m_point.position > keptBehind ? m_point.position - keptBehind : 0;
        if (release)
            release(start);
        const std::size_t end = std::min(m_window.total(), stretchEnd + keptAhead);
        // The largest stretch's room from the first: memory that grows moves to fresh pages.
        const std::size_t largest = std::min(
            m_window.total(), m_segments * m_tuning.segmentSize + keptBehind + keptAhead);
        if (m_spare.capacity() < largest)
            m_spare.reserve(largest);
        m_parsed = StretchInput(std::move(m_spare), start, end, [&](std::span<std::uint8_t> bytes) {
            inParallel((bytes.size() + fillPart - 1) / fillPart, [&](std::size_t i) {
                const std::size_t from = i * fillPart;
                source(start + from, bytes.subspan(from, std::min(fillPart, bytes.size() - from)));
            });
        });
        m_checksum = addToChecksum(
            m_checksum, m_parsed.bytes(m_checksummed, end), m_threads, m_tuning.jobs);
        m_checksummed = end;
    }

    // Finds the blocks the parse so far completes; they take the stretch's input with them.
    void layOut()
    {
        BlockLayout layout(m_symbols, m_codedCount, m_symbolsBegin, m_finished, m_window);
        std::vector<CodedBlock> coded(layout.newBlocks().size());
        m_blocks.emplace(std::move(layout), std::move(m_parsed), std::move(coded));
    }

    std::size_t blocksToCode() const { return m_blocks ? m_blocks->coded.size() : 0; }

    // The symbols from the last block to code on, which assemble() keeps.
    std::size_t firstKeptSymbol() const
    {
        return m_blocks && !m_blocks->layout.newBlocks().empty()
            ? m_blocks->layout.newBlocks().back().firstSymbol
            : 0;
    }
    std::size_t symbolsKept() const { return m_symbols.size() - firstKeptSymbol(); }

    void codeBlock(std::size_t b)
    {
        const BlockSpan &block = m_blocks->layout.newBlocks()[b];
        m_blocks->coded[b]
            = deflate::codeBlock(std::span(m_symbols).subspan(block.firstSymbol, block.symbolCount),
                block.end - block.begin, block.last, [&]() -> const std::uint8_t * {
                    if (!m_blocks->layout.stillBuffered(block))
                        return nullptr;
                    return m_blocks->input.bytes(block.begin, block.end).data();
                });
    }

    // Job i after the parse's: codes block i, and the last hands the bytes assembled so far to
    // the sink, beside the parse and the coding, as checksumming and writing them is not little
    // work on incompressible input.
    void codeOrSink(std::size_t i, const OutputSink &sink)
    {
        if (i < blocksToCode())
            codeBlock(i);
        else
            m_sinkTook = sink(m_out.wholeBytes());
    }

    // Puts the coded blocks after the bytes sunk, drops their symbols but the last block's and
    // takes back the memory of their input.
    void assemble()
    {
        m_out.dropWholeBytes();
        if (!m_blocks)
            return;
        for (const CodedBlock &block : m_blocks->coded) {
            m_out.putBits(block.bits, block.bitCount);
            if (block.stored) {
                const auto length = std::uint16_t(block.storedBytes.size());
                const std::uint8_t lengths[4] { std::uint8_t(length), std::uint8_t(length >> 8),
                    std::uint8_t(~length), std::uint8_t(~length >> 8) };
                m_out.putBytes(lengths, sizeof lengths);
                m_out.putBytes(block.storedBytes.data(), block.storedBytes.size());
            }
        }
        const std::span<const BlockSpan> blocks = m_blocks->layout.newBlocks();
        if (!blocks.empty()) {
            m_symbols.erase(
                m_symbols.begin(), m_symbols.begin() + std::ptrdiff_t(firstKeptSymbol()));
            m_codedCount = blocks.back().symbolCount;
            m_symbolsBegin = blocks.back().begin;
        }
        m_spare = std::move(m_blocks->input).release();
        m_blocks.reset();
    }

    // Blocks the parse has completed, coded while the next stretch is parsed, with the input
    // they were found in: a block may be stored as it is.
    struct Blocks
    {
        Blocks(BlockLayout blockLayout, StretchInput blockInput, std::vector<CodedBlock> blocks)
            : layout(std::move(blockLayout))
            , input(std::move(blockInput))
            , coded(std::move(blocks))
        { }

        BlockLayout layout;
        StretchInput input;
        std::vector<CodedBlock> coded;
    };

    const WindowModel m_window;
    const unsigned m_threads;
    const StreamTuning m_tuning;
    const std::size_t m_segments;
    std::size_t m_segmentSize = m_tuning.firstSegmentSize;
    // The stream's whole bytes not sunk yet, then the bits of a started byte.
    BitWriter m_out;
    bool m_sinkTook = true;
    uLong m_checksum = adler32_z(0, nullptr, 0);
    std::size_t m_checksummed = 0;
    // The input the parsers read, and memory for the next stretch's.
    StretchInput m_parsed;
    InputBytes m_spare;
    ParserPool m_parsers { m_parsed.view(), m_window };
    ParsePoint m_point;
    bool m_finished = false;
    // The last coded block, then the symbols not yet coded.
    Symbols m_symbols;
    std::size_t m_codedCount = 0;
    std::size_t m_symbolsBegin = 0;
    std::optional<Blocks> m_blocks;
};

} // namespace

bool writeZlibStream(std::size_t total, std::size_t feedSize, unsigned threads,
    const InputSource &source, const OutputSink &sink, const InputRelease &release)
{
    return writeZlibStream(total, feedSize, threads, source, sink, StreamTuning {}, release);
}

bool writeZlibStream(std::size_t total, std::size_t feedSize, unsigned threads,
    const InputSource &source, const OutputSink &sink, const StreamTuning &tuning,
    const InputRelease &release)
{
    return StretchedStream(total, feedSize, std::clamp(threads, 1u, maxZlibStreamThreads), tuning)
        .write(source, sink, release);
}

std::vector<std::uint8_t> zlibStream(std::span<const std::uint8_t> data, std::size_t feedSize,
    unsigned threads, const StreamTuning &tuning)
{
    std::vector<std::uint8_t> stream;
    writeZlibStream(
        data.size(), feedSize, threads,
        [data](std::size_t from, std::span<std::uint8_t> out) {
            std::memcpy(out.data(), data.data() + from, out.size());
        },
        [&stream](std::span<const std::uint8_t> bytes) {
            stream.insert(stream.end(), bytes.begin(), bytes.end());
            return true;
        },
        tuning);
    return stream;
}

} // namespace quiltmap::deflate
