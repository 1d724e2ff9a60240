#include "deflate/block_coder.h"

#include "deflate/bit_writer.h"

#include <algorithm>
#include <array>
#include <bit>

namespace quiltmap::deflate {
namespace {

constexpr int literalCodes = 286;
constexpr int distanceCodes = 30;
constexpr int lengthCodes = 19;
constexpr int endOfBlock = 256;
constexpr int heapSize = 2 * literalCodes + 1;
constexpr int maxBits = 15;
constexpr int maxLengthBits = 7;
constexpr int repeatPrevious = 16;
constexpr int repeatZeros = 17;
constexpr int repeatManyZeros = 18;

constexpr std::array<std::uint8_t, 29> lengthExtra { 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2,
    3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0 };
constexpr std::array<std::uint8_t, 30> distanceExtra { 0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13 };
constexpr std::array<std::uint8_t, lengthCodes> codeLengthExtra { 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 2, 3, 7 };
constexpr std::array<std::uint8_t, lengthCodes> codeLengthOrder { 16, 17, 18, 0, 8, 7, 9, 6, 10, 5,
    11, 4, 12, 3, 13, 2, 14, 1, 15 };

struct Tables
{
    std::array<std::uint8_t, 256> lengthCode {};
    std::array<std::uint16_t, 29> lengthBase {};
    std::array<std::uint16_t, 30> distanceBase {};
    std::array<std::uint16_t, literalCodes + 2> fixedLiteralLengths {};
    std::array<std::uint16_t, distanceCodes> fixedDistanceLengths {};

    Tables()
    {
        int length = 0;
        for (int code = 0; code < 28; ++code) {
            lengthBase[code] = std::uint16_t(length);
            for (int n = 0; n < 1 << lengthExtra[code]; ++n)
                lengthCode[length++] = std::uint8_t(code);
        }
        // Length 258 fits both code 284 with all extra bits set and code 285; 285 is shorter and
        // adds nothing to its base.
        lengthCode[255] = 28;
        lengthBase[28] = 255;
        int distance = 0;
        for (int code = 0; code < distanceCodes; ++code) {
            distanceBase[code] = std::uint16_t(distance);
            distance += 1 << distanceExtra[code];
        }
        for (int n = 0; n < literalCodes + 2; ++n)
            fixedLiteralLengths[n] = n < 144 ? 8 : n < 256 ? 9 : n < 280 ? 7 : 8;
        fixedDistanceLengths.fill(5);
    }
};

const Tables tables;

int distanceCode(std::uint32_t distanceMinusOne)
{
    if (distanceMinusOne < 4)
        return int(distanceMinusOne);
    const int top = 31 - std::countl_zero(distanceMinusOne);
    return 2 * top + int((distanceMinusOne >> (top - 1)) & 1);
}

std::uint32_t reverseBits(std::uint32_t code, int length)
{
    std::uint32_t result = 0;
    for (int i = 0; i < length; ++i, code >>= 1)
        result = result << 1 | (code & 1);
    return result;
}

// One Huffman code: lengths and bit-reversed codes per symbol, the guard slot past the last
// used symbol included.
struct Code
{
    std::array<std::uint16_t, heapSize> lengths {};
    std::array<std::uint16_t, heapSize> codes {};
    int maxCode = -1;

    void put(BitWriter &out, int symbol) const { out.put(codes[symbol], lengths[symbol]); }

    void assignCodes()
    {
        std::array<int, maxBits + 1> count {};
        for (int n = 0; n <= maxCode; ++n)
            ++count[lengths[n]];
        count[0] = 0;
        std::array<std::uint32_t, maxBits + 1> next {};
        std::uint32_t code = 0;
        for (int bits = 1; bits <= maxBits; ++bits) {
            code = (code + std::uint32_t(count[bits - 1])) << 1;
            next[bits] = code;
        }
        for (int n = 0; n <= maxCode; ++n)
            if (lengths[n] != 0)
                codes[n] = std::uint16_t(reverseBits(next[lengths[n]]++, lengths[n]));
    }
};

struct TreeShape
{
    int elements;
    const std::uint16_t *fixedLengths; // null for the code-length tree
    const std::uint8_t *extra;
    int extraBase;
    int maxLength;
};

// The coded sizes in bits of the block so far: with the block's own codes and with the fixed
// ones. Both wrap like zlib's unsigned counters.
struct Sizes
{
    std::uint64_t optimal = 0;
    std::uint64_t fixed = 0;
};

// Builds a length-limited Huffman code the way zlib does, tie for tie: a heap ordered by
// frequency then subtree depth, nodes numbered from `elements` up, lengths past the limit moved
// down by bit-length counts, and at least two codes even when fewer symbols occur.
class TreeBuilder
{
public:
    TreeBuilder(const TreeShape &shape, std::span<const std::uint32_t> frequencies)
        : m_shape(shape)
    {
        std::copy(frequencies.begin(), frequencies.end(), m_freq.begin());
    }

    Code build(Sizes &sizes)
    {
        Code code;
        int maxCode = -1;
        for (int n = 0; n < m_shape.elements; ++n)
            if (m_freq[n] != 0) {
                m_heap[++m_heapLength] = maxCode = n;
                m_order[n] = order(m_freq[n], 0);
            }
        while (m_heapLength < 2) {
            const int node = m_heap[++m_heapLength] = maxCode < 2 ? ++maxCode : 0;
            m_freq[node] = 1;
            m_order[node] = order(1, 0);
            --sizes.optimal;
            if (m_shape.fixedLengths)
                sizes.fixed -= m_shape.fixedLengths[node];
        }
        code.maxCode = maxCode;
        for (int n = m_heapLength / 2; n >= 1; --n)
            siftDown(n);

        int node = m_shape.elements;
        do {
            const int n = m_heap[1];
            m_heap[1] = m_heap[m_heapLength--];
            siftDown(1);
            const int m = m_heap[1];
            m_heap[--m_heapMax] = n;
            m_heap[--m_heapMax] = m;
            m_freq[node] = m_freq[n] + m_freq[m];
            m_order[node] = order(m_freq[node], std::uint8_t(std::max(depth(n), depth(m)) + 1));
            m_parent[n] = m_parent[m] = std::uint16_t(node);
            m_heap[1] = node++;
            siftDown(1);
        } while (m_heapLength >= 2);
        m_heap[--m_heapMax] = m_heap[1];

        assignLengths(code, sizes);
        code.assignCodes();
        return code;
    }

private:
    // zlib's heap order, frequency then subtree depth, as one number: node n comes no later than
    // node m when m_order[n] <= m_order[m]. One comparison lets the child be picked without a
    // branch.
    static std::uint64_t order(std::uint32_t frequency, std::uint8_t depth)
    {
        return std::uint64_t(frequency) << 8 | depth;
    }
    std::uint8_t depth(int n) const { return std::uint8_t(m_order[n]); }

    void siftDown(int k)
    {
        const int v = m_heap[k];
        const std::uint64_t vOrder = m_order[v];
        for (int j = k << 1; j <= m_heapLength; j <<= 1) {
            if (j < m_heapLength)
                j += m_order[m_heap[j + 1]] <= m_order[m_heap[j]] ? 1 : 0;
            if (vOrder <= m_order[m_heap[j]])
                break;
            m_heap[k] = m_heap[j];
            k = j;
        }
        m_heap[k] = v;
    }

    void assignLengths(Code &code, Sizes &sizes)
    {
        std::array<int, maxBits + 1> count {};
        std::array<std::uint16_t, heapSize> length {};
        int overflow = 0;
        length[m_heap[m_heapMax]] = 0;
        for (int h = m_heapMax + 1; h < heapSize; ++h) {
            const int n = m_heap[h];
            int bits = length[m_parent[n]] + 1;
            if (bits > m_shape.maxLength) {
                bits = m_shape.maxLength;
                ++overflow;
            }
            length[n] = std::uint16_t(bits);
            if (n > code.maxCode)
                continue;
            ++count[bits];
            const int extra = n >= m_shape.extraBase ? m_shape.extra[n - m_shape.extraBase] : 0;
            sizes.optimal += std::uint64_t(m_freq[n]) * std::uint64_t(bits + extra);
            if (m_shape.fixedLengths)
                sizes.fixed += std::uint64_t(m_freq[n]) * (m_shape.fixedLengths[n] + extra);
        }
        if (overflow > 0) {
            do {
                int bits = m_shape.maxLength - 1;
                while (count[bits] == 0)
                    --bits;
                --count[bits];
                count[bits + 1] += 2;
                --count[m_shape.maxLength];
                overflow -= 2;
            } while (overflow > 0);
            // Hand the corrected lengths out again, longest to the rarest leaves.
            int h = heapSize;
            for (int bits = m_shape.maxLength; bits != 0; --bits)
                for (int n = count[bits]; n != 0;) {
                    const int m = m_heap[--h];
                    if (m > code.maxCode)
                        continue;
                    if (length[m] != bits) {
                        sizes.optimal += (std::uint64_t(bits) - length[m]) * m_freq[m];
                        length[m] = std::uint16_t(bits);
                    }
                    --n;
                }
        }
        for (int n = 0; n <= code.maxCode; ++n)
            code.lengths[n] = length[n];
    }

    const TreeShape &m_shape;
    std::array<std::uint32_t, heapSize> m_freq {};
    std::array<int, heapSize + 1> m_heap;
    std::array<std::uint64_t, heapSize> m_order;
    std::array<std::uint16_t, heapSize> m_parent;
    int m_heapLength = 0;
    int m_heapMax = heapSize;
};

// Walks a code's lengths as runs the way the code-length alphabet describes them, calling
// `single(length)` for a length sent alone and `repeat(symbol, count)` for a run code.
template<class Single, class Repeat> void forEachRun(const Code &code, Single single, Repeat repeat)
{
    int previous = -1;
    int next = code.lengths[0];
    int count = 0;
    int maxCount = next == 0 ? 138 : 7;
    int minCount = next == 0 ? 3 : 4;
    for (int n = 0; n <= code.maxCode; ++n) {
        const int current = next;
        next = n + 1 <= code.maxCode ? code.lengths[n + 1] : 0xffff;
        if (++count < maxCount && current == next)
            continue;
        if (count < minCount) {
            for (; count > 0; --count)
                single(current);
        } else if (current != 0) {
            if (current != previous) {
                single(current);
                --count;
            }
            repeat(repeatPrevious, count);
        } else {
            repeat(count <= 10 ? repeatZeros : repeatManyZeros, count);
        }
        count = 0;
        previous = current;
        if (next == 0) {
            maxCount = 138;
            minCount = 3;
        } else if (current == next) {
            maxCount = 6;
            minCount = 3;
        } else {
            maxCount = 7;
            minCount = 4;
        }
    }
}

void countRuns(const Code &code, std::array<std::uint32_t, lengthCodes> &frequencies)
{
    forEachRun(
        code, [&](int length) { ++frequencies[length]; },
        [&](int symbol, int) { ++frequencies[symbol]; });
}

void sendRuns(BitWriter &out, const Code &code, const Code &lengthCode)
{
    forEachRun(
        code, [&](int length) { lengthCode.put(out, length); },
        [&](int symbol, int count) {
            lengthCode.put(out, symbol);
            if (symbol == repeatPrevious)
                out.put(std::uint32_t(count - 3), 2);
            else if (symbol == repeatZeros)
                out.put(std::uint32_t(count - 3), 3);
            else
                out.put(std::uint32_t(count - 11), 7);
        });
}

void sendSymbols(
    BitWriter &out, std::span<const Symbol> symbols, const Code &literals, const Code &distances)
{
    for (const Symbol s : symbols) {
        if (isLiteral(s)) {
            literals.put(out, int(s));
            continue;
        }
        // Each code with its extra bits at once: at most 15 + 5 and 15 + 13 bits.
        const std::uint32_t lengthIndex = s & 0xff;
        const int lc = tables.lengthCode[lengthIndex];
        const int lengthSymbol = endOfBlock + 1 + lc;
        out.put(literals.codes[lengthSymbol]
                | (lengthIndex - tables.lengthBase[lc]) << literals.lengths[lengthSymbol],
            literals.lengths[lengthSymbol] + lengthExtra[lc]);
        const std::uint32_t distance = distanceOf(s) - 1;
        const int dc = distanceCode(distance);
        out.put(distances.codes[dc] | (distance - tables.distanceBase[dc]) << distances.lengths[dc],
            distances.lengths[dc] + distanceExtra[dc]);
    }
    literals.put(out, endOfBlock);
}

Code fixedCode(const std::uint16_t *lengths, int count)
{
    Code code;
    std::copy(lengths, lengths + count, code.lengths.begin());
    code.maxCode = count - 1;
    code.assignCodes();
    return code;
}

const Code fixedLiterals = fixedCode(tables.fixedLiteralLengths.data(), literalCodes + 2);
const Code fixedDistances = fixedCode(tables.fixedDistanceLengths.data(), distanceCodes);

} // namespace

CodedBlock codeBlock(std::span<const Symbol> symbols, std::size_t byteCount, bool last,
    const std::function<const std::uint8_t *()> &bufferedBytes)
{
    std::array<std::uint32_t, literalCodes> literalFreq {};
    std::array<std::uint32_t, distanceCodes> distanceFreq {};
    literalFreq[endOfBlock] = 1;
    for (const Symbol s : symbols) {
        if (isLiteral(s)) {
            ++literalFreq[s];
        } else {
            ++literalFreq[endOfBlock + 1 + tables.lengthCode[s & 0xff]];
            ++distanceFreq[distanceCode(distanceOf(s) - 1)];
        }
    }

    Sizes sizes;
    const TreeShape literalShape { literalCodes, tables.fixedLiteralLengths.data(),
        lengthExtra.data(), endOfBlock + 1, maxBits };
    const TreeShape distanceShape { distanceCodes, tables.fixedDistanceLengths.data(),
        distanceExtra.data(), 0, maxBits };
    const TreeShape lengthShape { lengthCodes, nullptr, codeLengthExtra.data(), 0, maxLengthBits };
    const Code literals = TreeBuilder(literalShape, literalFreq).build(sizes);
    const Code distances = TreeBuilder(distanceShape, distanceFreq).build(sizes);
    std::array<std::uint32_t, lengthCodes> lengthFreq {};
    countRuns(literals, lengthFreq);
    countRuns(distances, lengthFreq);
    const Code lengths = TreeBuilder(lengthShape, lengthFreq).build(sizes);
    int lastLength = lengthCodes - 1;
    while (lastLength >= 3 && lengths.lengths[codeLengthOrder[lastLength]] == 0)
        --lastLength;
    sizes.optimal += 3 * std::uint64_t(lastLength + 1) + 5 + 5 + 4;

    std::uint64_t optimalBytes = (sizes.optimal + 3 + 7) >> 3;
    const std::uint64_t fixedBytes = (sizes.fixed + 3 + 7) >> 3;
    if (fixedBytes <= optimalBytes)
        optimalBytes = fixedBytes;

    CodedBlock block;
    BitWriter out;
    const std::uint8_t *bytes = byteCount + 4 <= optimalBytes ? bufferedBytes() : nullptr;
    if (bytes) {
        out.put(last ? 1 : 0, 3);
        block.stored = true;
        block.storedBytes = { bytes, byteCount };
    } else if (fixedBytes == optimalBytes) {
        out.put(2 + (last ? 1 : 0), 3);
        sendSymbols(out, symbols, fixedLiterals, fixedDistances);
    } else {
        out.put(4 + (last ? 1 : 0), 3);
        out.put(std::uint32_t(literals.maxCode + 1 - 257), 5);
        out.put(std::uint32_t(distances.maxCode + 1 - 1), 5);
        out.put(std::uint32_t(lastLength + 1 - 4), 4);
        for (int rank = 0; rank <= lastLength; ++rank)
            out.put(lengths.lengths[codeLengthOrder[rank]], 3);
        sendRuns(out, literals, lengths);
        sendRuns(out, distances, lengths);
        sendSymbols(out, symbols, literals, distances);
    }
    block.bitCount = out.bitCount();
    block.bits = out.take();
    return block;
}

} // namespace quiltmap::deflate
