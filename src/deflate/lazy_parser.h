#pragma once

#include "deflate/symbols.h"
#include "deflate/window_model.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace quiltmap::deflate {

// What a parse step carries over to the next one: whether the previous byte still waits to be
// emitted, and the match found there.
struct ParseState
{
    bool matchAvailable = false;
    std::uint32_t matchLength = minMatch - 1;
    std::size_t matchStart = 0;

    // The start of a match shorter than minMatch is stale and never read.
    friend bool operator==(const ParseState &a, const ParseState &b)
    {
        return a.matchAvailable == b.matchAvailable && a.matchLength == b.matchLength
            && (a.matchLength < minMatch || a.matchStart == b.matchStart);
    }
};

// A stretch of the input held in memory: bytes[i] is the input byte at position start + i.
struct InputView
{
    std::span<const std::uint8_t> bytes;
    std::size_t start = 0;

    std::uint8_t operator[](std::size_t position) const { return bytes[position - start]; }
    const std::uint8_t *at(std::size_t position) const { return bytes.data() + (position - start); }
};

// zlib's level-7 parse (lazy evaluation with good 8, lazy 32, nice 128, chain 256; lone
// 3-byte matches farther than 4096 refused). Positions are absolute. The match finder only ever
// looks maxDistance back and 258 bytes ahead, so a parse may start anywhere once the 32 KiB
// before its start are primed, and needs the input from 32 KiB before its first step to 516
// bytes past its last.
class LazyParser
{
public:
    LazyParser(const InputView &input, const WindowModel &window);

    // Starts at parse step `position` in `state`; `previousStep` is where the step before was.
    void start(std::size_t position, ParseState state, std::size_t previousStep);

    std::size_t position() const { return m_position; }
    const ParseState &state() const { return m_state; }
    std::size_t previousStep() const { return m_previousStep; }
    bool finished() const { return m_finished; }

    // One parse step; at the end of the input it emits the waiting byte and finishes.
    void step(Symbols &out);
    // Steps until the parse stands at or past `end`, or to its finish when `end` is the input's.
    void runTo(std::size_t end, Symbols &out);

private:
    // Earlier positions whose strings share a key, newest first: the newest per key, and per
    // window slot how far back the next older one lies (saturated: then it is out of reach).
    // The tables are left unset until clear(): a parser is made once and started many times.
    struct Chain
    {
        explicit Chain(std::size_t keys);

        std::size_t keys;
        std::unique_ptr<std::uint32_t[]> head;
        std::unique_ptr<std::uint16_t[]> back;

        void clear(std::size_t p);
        void refresh(std::size_t p);
        // Returns the newest position of the key before p.
        std::size_t add(std::size_t p, std::uint32_t key);
        std::size_t next(std::size_t p) const;
    };

    void advance(Symbols &out);
    std::size_t insert(std::size_t p);
    void refreshHeads();
    void insertRange(std::size_t from, std::size_t to);
    void key(std::size_t q, const std::uint8_t *bytes);
    void keyUpTo(std::size_t p);
    std::uint32_t matchAt(std::size_t p, std::size_t first, std::uint32_t prevLength);
    std::uint32_t longestMatch(std::size_t p, std::size_t first, std::uint32_t prevLength);
    static std::size_t keyedBelow(const Chain &chain, std::size_t from, std::size_t below);

    const InputView &m_input;
    const WindowModel &m_window;
    // zlib's hash chains, which decide what the match finder may look at.
    Chain m_chain;
    // Per window slot, how far down zlib's chains its string stands: one more than the string
    // before it on its chain. Ranks of strings that are both still in reach differ by their
    // distance along the chain.
    std::unique_ptr<std::uint16_t[]> m_rank;
    // Chains of strings that share their first 4 or 7 bytes, which skip the strings that cannot
    // beat a match of 3 or 6 bytes. They and the ranks are brought up to date when a long chain
    // needs them, and kept so for a while after: strings from m_keyedTo on are not on them yet.
    Chain m_four;
    Chain m_seven;
    std::size_t m_keyedTo = 0;
    std::size_t m_keepKeyedTo = 0;
    std::size_t m_refreshAt = 0;
    std::size_t m_position = 0;
    std::size_t m_previousStep = 0;
    ParseState m_state;
    bool m_finished = false;
};

} // namespace quiltmap::deflate
