#include "deflate/zlib_stream.h"

#include "deflate/adler32.h"
#include "deflate/bit_writer.h"
#include "deflate/block_coder.h"
#include "deflate/block_layout.h"
#include "deflate/parallel_for.h"
#include "deflate/segment_parse.h"
#include "deflate/stream_tuning.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <zlib.h>

namespace quiltmap::deflate {
namespace {

// 32 KiB window, deflate, and the flag zlib gives levels 7 to 9, checked modulo 31.
constexpr std::uint8_t header[2] { 0x78, 0xda };
// Input kept before a stretch: the window to prime, and the bytes of a block zlib may store.
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

    bool write(const InputSource &source, const OutputSink &sink)
    {
        while (!m_finished) {
            const std::size_t end
                = std::min(m_window.total(), m_point.position + m_segments * m_segmentSize);
            read(source, end);
            const std::size_t parts
                = std::clamp<std::size_t>((end - m_point.position) / m_segmentSize, 1, m_segments);
            m_segmentSize = std::min(m_tuning.segmentSize, 2 * m_segmentSize);
            StretchParser parser(m_parsers, m_window, m_point, end, parts);
            const std::size_t segments = parser.segmentCount();
            inParallel(segments + m_coded.size(), [&](std::size_t i) {
                if (i < segments)
                    parser.parseSegment(i);
                else
                    codeBlock(i - segments);
            });
            if (!send(sink))
                return false;
            StretchParse parsed = parser.join(std::move(m_symbols));
            m_symbols = std::move(parsed.symbols);
            m_point = parsed.end;
            m_finished = parsed.finished;
            layOut();
        }
        inParallel(m_coded.size(), [&](std::size_t b) { codeBlock(b); });
        if (!send(sink))
            return false;
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

    // Reads into the buffer the blocks waiting to be coded do not use.
    void read(const InputSource &source, std::size_t stretchEnd)
    {
        m_current ^= 1;
        std::vector<std::uint8_t> &buffer = m_buffers[m_current];
        m_input.start = m_point.position > keptBehind ? m_point.position - keptBehind : 0;
        const std::size_t inputEnd = std::min(m_window.total(), stretchEnd + keptAhead);
        buffer.resize(inputEnd - m_input.start);
        const std::size_t parts = (buffer.size() + fillPart - 1) / fillPart;
        inParallel(parts, [&](std::size_t i) {
            const std::size_t from = i * fillPart;
            source(m_input.start + from,
                std::span(buffer).subspan(from, std::min(fillPart, buffer.size() - from)));
        });
        m_input.bytes = buffer;
        m_checksum = addToChecksum(m_checksum, m_input.bytes.subspan(m_checksummed - m_input.start),
            m_threads, m_tuning.jobs);
        m_checksummed = inputEnd;
    }

    // Finds the blocks the parse so far completes; they are coded with the input now read.
    void layOut()
    {
        m_layout.emplace(m_symbols, m_codedCount, m_symbolsBegin, m_finished, m_window);
        m_coded.assign(m_layout->newBlocks().size(), CodedBlock {});
        m_codedInput = m_input;
    }

    void codeBlock(std::size_t b)
    {
        const BlockSpan &block = m_layout->newBlocks()[b];
        m_coded[b]
            = deflate::codeBlock(std::span(m_symbols).subspan(block.firstSymbol, block.symbolCount),
                block.end - block.begin, block.last, [&]() -> const std::uint8_t * {
                    if (!m_layout->stillBuffered(block))
                        return nullptr;
                    if (block.begin < m_codedInput.start)
                        throw std::logic_error("deflate: a stored block's bytes were dropped");
                    return m_codedInput.at(block.begin);
                });
    }

    // Sends the coded blocks and drops their symbols but the last block's.
    bool send(const OutputSink &sink)
    {
        for (CodedBlock &block : m_coded) {
            m_out.putBits(block.bits, block.bitCount);
            if (block.stored)
                m_out.putBytes(block.storedBytes.data(), block.storedBytes.size());
            block = CodedBlock {};
        }
        if (!m_coded.empty()) {
            const BlockSpan &last = m_layout->newBlocks().back();
            m_symbols.erase(
                m_symbols.begin(), m_symbols.begin() + std::ptrdiff_t(last.firstSymbol));
            m_codedCount = last.symbolCount;
            m_symbolsBegin = last.begin;
        }
        m_coded.clear();
        m_layout.reset();
        return sink(m_out.takeWholeBytes());
    }

    const WindowModel m_window;
    const unsigned m_threads;
    const StreamTuning m_tuning;
    const std::size_t m_segments;
    std::size_t m_segmentSize = m_tuning.firstSegmentSize;
    BitWriter m_out;
    uLong m_checksum = adler32_z(0, nullptr, 0);
    std::size_t m_checksummed = 0;
    std::vector<std::uint8_t> m_buffers[2];
    unsigned m_current = 0;
    InputView m_input;
    ParserPool m_parsers { m_input, m_window };
    ParsePoint m_point;
    bool m_finished = false;
    // The last coded block, then the symbols not yet coded.
    std::vector<Symbol> m_symbols;
    std::size_t m_codedCount = 0;
    std::size_t m_symbolsBegin = 0;
    // The blocks waiting to be coded, and the input they were found in.
    std::optional<BlockLayout> m_layout;
    std::vector<CodedBlock> m_coded;
    InputView m_codedInput;
};

} // namespace

bool writeZlibStream(std::size_t total, std::size_t feedSize, unsigned threads,
    const InputSource &source, const OutputSink &sink)
{
    return writeZlibStream(total, feedSize, threads, source, sink, StreamTuning {});
}

bool writeZlibStream(std::size_t total, std::size_t feedSize, unsigned threads,
    const InputSource &source, const OutputSink &sink, const StreamTuning &tuning)
{
    if (total > maxZlibStreamInput)
        throw std::length_error("deflate: input too large");
    return StretchedStream(total, feedSize, std::clamp(threads, 1u, maxZlibStreamThreads), tuning)
        .write(source, sink);
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
