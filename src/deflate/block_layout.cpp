#include "deflate/block_layout.h"

#include <algorithm>
#include <limits>

namespace quiltmap::deflate {
namespace {

constexpr std::size_t symbolsPerBlock = (std::size_t(1) << 14) - 1;
constexpr std::size_t never = std::numeric_limits<std::size_t>::max();

} // namespace

BlockLayout::BlockLayout(std::span<const Symbol> symbols, std::size_t codedCount, std::size_t begin,
    bool finished, const WindowModel &window)
    : m_symbols(symbols)
    , m_window(window)
{
    if (codedCount > 0)
        m_blocks.push_back({ 0, codedCount, 0, 0, 0, false });
    m_codedBlocks = m_blocks.size();
    // A last literal is the byte that waited when the input ended; zlib tallies it without
    // checking whether the buffer is full.
    const bool waitingByte = finished && symbols.size() > codedCount && isLiteral(symbols.back());
    const std::size_t inLoop = symbols.size() - codedCount - (waitingByte ? 1 : 0);
    for (std::size_t b = 0; b < inLoop / symbolsPerBlock; ++b)
        m_blocks.push_back({ codedCount + b * symbolsPerBlock, symbolsPerBlock, 0, 0, 0, false });
    m_leftoverSymbol = codedCount + inLoop / symbolsPerBlock * symbolsPerBlock;
    if (finished)
        m_blocks.push_back({ m_leftoverSymbol, symbols.size() - m_leftoverSymbol, 0, 0, 0, true });

    std::size_t at = begin;
    for (BlockSpan &block : m_blocks) {
        block.begin = at;
        for (std::size_t i = 0; i < block.symbolCount; ++i)
            at += lengthOf(symbols[block.firstSymbol + i]);
        block.end = at;
        if (block.last) {
            block.flushStep = window.total();
        } else if (block.symbolCount > 0) {
            // A literal is emitted at the step after its byte, a match at the step after its
            // first byte.
            block.flushStep = at - lengthOf(symbols[block.firstSymbol + block.symbolCount - 1]) + 1;
        }
    }
    m_leftoverBegin = at;
}

bool BlockLayout::stillBuffered(const BlockSpan &block) const
{
    return block.begin >= slidesBy(block.flushStep) * windowSize;
}

std::size_t BlockLayout::slidesBy(std::size_t step) const
{
    // A slide falls at most one match length after its point.
    std::size_t slides = 0;
    for (std::size_t k = 1; WindowModel::slidePoint(k) <= step; ++k)
        if (WindowModel::slidePoint(k) + maxMatch < step
            || slideStep(WindowModel::slidePoint(k)) <= step)
            ++slides;
    return slides;
}

// The parse step at which the buffer slides for slide point `point`: the first step at or after
// it that refills. Steps are every position but the inner bytes of a match past its second.
std::size_t BlockLayout::slideStep(std::size_t point) const
{
    const std::size_t total = m_window.total();
    if (point >= total)
        return point == total ? point : never;
    auto block = std::upper_bound(m_blocks.begin(), m_blocks.end(), point,
        [](std::size_t p, const BlockSpan &b) { return p < b.begin; });
    if (block == m_blocks.begin())
        return never;
    --block;
    std::size_t index = block->firstSymbol;
    std::size_t at = block->begin;
    while (index < m_symbols.size() && at + lengthOf(m_symbols[index]) <= point)
        at += lengthOf(m_symbols[index++]);
    if (index == m_symbols.size())
        return never;
    const std::uint32_t length = lengthOf(m_symbols[index]);
    if (length >= minMatch && point >= at + 2)
        return at + length;
    std::size_t previous = point - 1;
    if (point == at + 1)
        previous = at;
    else if (index > 0 && !isLiteral(m_symbols[index - 1]))
        previous = at - lengthOf(m_symbols[index - 1]) + 1;
    if (m_window.refillsAt(previous, point))
        return point;
    if (length == 1)
        return point + 1;
    return point == at ? at + 1 : at + length;
}

} // namespace quiltmap::deflate
