#pragma once

#include <cstddef>
#include <cstdint>

namespace quiltmap::deflate {

constexpr std::size_t windowSize = 32768;
constexpr std::size_t minLookahead = 258 + 3 + 1;
constexpr std::size_t maxDistance = windowSize - minLookahead;

// zlib reads its input into a 64 KiB buffer that slides back by 32 KiB once the parse stands
// 32 KiB + maxDistance into it, but only when it refills, and it refills at a loop step only when
// fewer than minLookahead bytes are buffered ahead. How the input was cut into calls therefore
// decides when the buffer slides, and that decides two rare things: whether the string exactly
// maxDistance back is still a candidate at a slide point, and whether a block's bytes are still
// buffered so it may be stored as is. The model follows a caller that hands over `feedSize`
// bytes per call (a whole image at once is feedSize >= total) and finishes with no more input.
class WindowModel
{
public:
    WindowModel(std::size_t total, std::size_t feedSize)
        : m_total(total)
        , m_feedSize(feedSize == 0 ? 1 : feedSize)
    { }

    std::size_t total() const { return m_total; }

    // The k-th slide (k from 1) happens at the first parse step at or after this position.
    static std::size_t slidePoint(std::size_t k) { return k * windowSize + maxDistance; }
    static bool isSlidePoint(std::size_t p)
    {
        return p >= slidePoint(1) && (p - maxDistance) % windowSize == 0;
    }

    // Whether zlib refills its buffer at the parse step at `p` when the step before was at
    // `previous`: after that step it held the input up to the first call boundary that left
    // minLookahead bytes ahead of `previous` (or all of it), capped by the buffer's end.
    bool refillsAt(std::size_t previous, std::size_t p) const
    {
        const std::size_t wanted = previous + minLookahead;
        std::size_t end = (wanted + m_feedSize - 1) / m_feedSize * m_feedSize;
        if (end > m_total)
            end = m_total;
        return end < p + minLookahead;
    }

    // A slide at the step at slide point `p` turns the entry for the string maxDistance back into
    // "no entry": zlib then does not look for a match there.
    bool dropsCandidate(std::size_t previous, std::size_t p, std::size_t candidate) const
    {
        return candidate + maxDistance == p && isSlidePoint(p) && refillsAt(previous, p);
    }

private:
    std::size_t m_total;
    std::size_t m_feedSize;
};

} // namespace quiltmap::deflate
