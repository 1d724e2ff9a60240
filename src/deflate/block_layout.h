#pragma once

#include "deflate/symbols.h"
#include "deflate/window_model.h"

#include <cstddef>
#include <span>
#include <vector>

namespace quiltmap::deflate {

// A block as zlib cuts the parse: every 16383 symbols (the symbol buffer of memory level 8 less
// one); the last block holds the rest and the byte that waited when the input ended.
struct BlockSpan
{
    std::size_t firstSymbol = 0;
    std::size_t symbolCount = 0;
    std::size_t begin = 0; // the input bytes the symbols cover
    std::size_t end = 0;
    std::size_t flushStep = 0; // the parse step during which zlib codes the block
    bool last = false;
};

// The blocks in a run of symbols that starts with one block already coded (kept so that the
// steps before the new blocks are known), or with none at the input's start.
class BlockLayout
{
public:
    // `begin` is the input position of the first symbol; `finished` says the parse has ended,
    // otherwise symbols after the last full block are left for later.
    BlockLayout(std::span<const Symbol> symbols, std::size_t codedCount, std::size_t begin,
        bool finished, const WindowModel &window);

    // The blocks to code, in order.
    std::span<const BlockSpan> newBlocks() const
    {
        return std::span<const BlockSpan>(m_blocks).subspan(m_codedBlocks);
    }
    // Where the symbols left for later start.
    std::size_t leftoverSymbol() const { return m_leftoverSymbol; }
    std::size_t leftoverBegin() const { return m_leftoverBegin; }

    // Whether zlib still holds the block's bytes in its buffer when it codes the block, so that
    // it may store them.
    bool stillBuffered(const BlockSpan &block) const;

private:
    std::size_t slidesBy(std::size_t step) const;
    std::size_t slideStep(std::size_t point) const;

    std::span<const Symbol> m_symbols;
    const WindowModel &m_window;
    std::vector<BlockSpan> m_blocks;
    std::size_t m_codedBlocks = 0;
    std::size_t m_leftoverSymbol = 0;
    std::size_t m_leftoverBegin = 0;
};

} // namespace quiltmap::deflate
