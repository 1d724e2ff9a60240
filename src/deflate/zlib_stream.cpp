#include "deflate/zlib_stream.h"

#include "deflate/bit_writer.h"
#include "deflate/block_coder.h"
#include "deflate/block_layout.h"
#include "deflate/parallel_for.h"
#include "deflate/segment_parse.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <zlib.h>

namespace quiltmap::deflate {
namespace {

// 32 KiB window, deflate, and the flag zlib gives levels 7 to 9, checked modulo 31.
constexpr std::uint8_t header[2] { 0x78, 0xda };
constexpr std::size_t segmentSize = std::size_t(1) << 20;
constexpr std::size_t segmentsPerThread = 2;
// Input kept before a stretch: the window to prime, and the bytes of a block zlib may store.
constexpr std::size_t keptBehind = 2 * windowSize + 1024;
// Input read past a stretch: the last match may run 257 bytes on and looks 258 bytes ahead.
constexpr std::size_t keptAhead = 1024;
constexpr std::size_t checksumPart = std::size_t(1) << 20;
constexpr std::size_t fillPart = std::size_t(1) << 20;

uLong addToChecksum(uLong sum, std::span<const std::uint8_t> bytes, unsigned threads)
{
    const std::size_t parts = (bytes.size() + checksumPart - 1) / checksumPart;
    std::vector<uLong> sums(parts);
    const auto part = [&](std::size_t i) {
        return bytes.subspan(
            i * checksumPart, std::min(checksumPart, bytes.size() - i * checksumPart));
    };
    parallelFor(parts, threads, [&](std::size_t i) {
        sums[i] = adler32_z(adler32_z(0, nullptr, 0), part(i).data(), part(i).size());
    });
    for (std::size_t i = 0; i < parts; ++i)
        sum = adler32_combine(sum, sums[i], z_off_t(part(i).size()));
    return sum;
}

} // namespace

bool writeZlibStream(std::size_t total, std::size_t feedSize, unsigned threads,
    const InputSource &source, const OutputSink &sink)
{
    if (total > maxZlibStreamInput)
        throw std::length_error("deflate: input too large");
    threads = std::clamp(threads, 1u, maxZlibStreamThreads);
    const WindowModel window(total, feedSize);
    const std::size_t segments = threads == 1 ? 1 : threads * segmentsPerThread;
    BitWriter out;
    out.putBytes(header, sizeof header);
    uLong checksum = adler32_z(0, nullptr, 0);
    std::size_t checksummed = 0;
    std::vector<std::uint8_t> buffer;
    // The last coded block, then the symbols not yet coded.
    std::vector<Symbol> symbols;
    std::size_t codedCount = 0;
    std::size_t symbolsBegin = 0;
    ParsePoint point;
    for (bool finished = false; !finished;) {
        const std::size_t stretchEnd = std::min(total, point.position + segments * segmentSize);
        InputView input;
        input.start = point.position > keptBehind ? point.position - keptBehind : 0;
        const std::size_t inputEnd = std::min(total, stretchEnd + keptAhead);
        buffer.resize(inputEnd - input.start);
        const std::size_t fillParts = (buffer.size() + fillPart - 1) / fillPart;
        parallelFor(fillParts, threads, [&](std::size_t i) {
            const std::size_t from = i * fillPart;
            source(input.start + from,
                std::span(buffer).subspan(from, std::min(fillPart, buffer.size() - from)));
        });
        input.bytes = buffer;
        checksum = addToChecksum(checksum, input.bytes.subspan(checksummed - input.start), threads);
        checksummed = inputEnd;

        const std::size_t parts
            = std::clamp<std::size_t>((stretchEnd - point.position) / segmentSize, 1, segments);
        StretchParse parse = parseStretch(input, window, point, stretchEnd, parts, threads);
        symbols.insert(symbols.end(), parse.symbols.begin(), parse.symbols.end());
        std::vector<Symbol>().swap(parse.symbols);
        point = parse.end;
        finished = parse.finished;

        const BlockLayout layout(symbols, codedCount, symbolsBegin, finished, window);
        const std::span<const BlockSpan> blocks = layout.newBlocks();
        std::vector<CodedBlock> coded(blocks.size());
        parallelFor(blocks.size(), threads, [&](std::size_t b) {
            const BlockSpan &block = blocks[b];
            coded[b] = codeBlock(std::span(symbols).subspan(block.firstSymbol, block.symbolCount),
                block.end - block.begin, block.last, [&]() -> const std::uint8_t * {
                    if (!layout.stillBuffered(block))
                        return nullptr;
                    if (block.begin < input.start)
                        throw std::logic_error("deflate: a stored block's bytes were dropped");
                    return input.at(block.begin);
                });
        });
        for (CodedBlock &block : coded) {
            out.putBits(block.bits, block.bitCount);
            if (block.stored)
                out.putBytes(block.storedBytes.data(), block.storedBytes.size());
            block = CodedBlock {};
        }
        if (!sink(out.takeWholeBytes()))
            return false;
        if (!blocks.empty()) {
            symbols.erase(
                symbols.begin(), symbols.begin() + std::ptrdiff_t(blocks.back().firstSymbol));
            codedCount = blocks.back().symbolCount;
            symbolsBegin = blocks.back().begin;
        }
    }
    out.align();
    const auto sum = std::uint32_t(checksum);
    const std::uint8_t trailer[4] { std::uint8_t(sum >> 24), std::uint8_t(sum >> 16),
        std::uint8_t(sum >> 8), std::uint8_t(sum) };
    out.putBytes(trailer, sizeof trailer);
    return sink(out.take());
}

std::vector<std::uint8_t> zlibStream(
    std::span<const std::uint8_t> data, std::size_t feedSize, unsigned threads)
{
    std::vector<std::uint8_t> stream;
    measureZlibStream(data, feedSize, threads, stream);
    return stream;
}

StreamWork measureZlibStream(std::span<const std::uint8_t> data, std::size_t feedSize,
    unsigned threads, std::vector<std::uint8_t> &stream)
{
    stream.clear();
    const double allJobsBefore = jobSecondsOfAllThreads();
    const double ownJobsBefore = jobSecondsOfThisThread();
    const double ownBefore = threadSeconds();
    writeZlibStream(
        data.size(), feedSize, threads,
        [data](std::size_t from, std::span<std::uint8_t> out) {
            std::memcpy(out.data(), data.data() + from, out.size());
        },
        [&stream](std::span<const std::uint8_t> bytes) {
            stream.insert(stream.end(), bytes.begin(), bytes.end());
            return true;
        });
    const double ownJobs = jobSecondsOfThisThread() - ownJobsBefore;
    return { jobSecondsOfAllThreads() - allJobsBefore, threadSeconds() - ownBefore - ownJobs };
}

} // namespace quiltmap::deflate
