#include "deflate/lazy_parser.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace quiltmap::deflate {
namespace {

constexpr std::uint32_t hashMask = 0x7fff;
constexpr std::uint32_t windowMask = windowSize - 1;
constexpr std::uint32_t goodLength = 8;
constexpr std::uint32_t lazyLength = 32;
constexpr std::uint32_t niceLength = 128;
constexpr std::uint32_t maxChain = 256;
constexpr std::size_t tooFar = 4096;

// The rolling hash of three bytes with 15 bits and a shift of 5 depends on those bytes only.
std::uint32_t hashAt(const std::uint8_t *p)
{
    return ((std::uint32_t(p[0]) << 10) ^ (std::uint32_t(p[1]) << 5) ^ p[2]) & hashMask;
}

// How many of the first `limit` bytes at a and b agree.
std::uint32_t commonLength(const std::uint8_t *a, const std::uint8_t *b, std::uint32_t limit)
{
    std::uint32_t n = 0;
    while (n + 8 <= limit) {
        std::uint64_t x;
        std::uint64_t y;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (x != y) {
            if constexpr (std::endian::native == std::endian::little)
                return n + std::uint32_t(std::countr_zero(x ^ y)) / 8;
            else
                return n + std::uint32_t(std::countl_zero(x ^ y)) / 8;
        }
        n += 8;
    }
    while (n < limit && a[n] == b[n])
        ++n;
    return n;
}

} // namespace

LazyParser::LazyParser(const InputView &input, const WindowModel &window)
    : m_input(input)
    , m_window(window)
    , m_head(hashMask + 1)
    , m_prev(windowSize)
{ }

void LazyParser::start(std::size_t position, ParseState state, std::size_t previousStep)
{
    std::fill(m_head.begin(), m_head.end(), 0);
    std::fill(m_prev.begin(), m_prev.end(), 0);
    const std::size_t primeFrom = position > windowSize ? position - windowSize : 0;
    const std::size_t total = m_window.total();
    const std::size_t primeTo = std::min(position, total < minMatch ? 0 : total - 2);
    for (std::size_t p = primeFrom; p < primeTo; ++p)
        insert(p);
    m_position = position;
    m_state = state;
    m_previousStep = previousStep;
    m_finished = false;
}

// Returns the previous entry of the string's chain; 0 stands for none, so position 0 is never a
// candidate, as in zlib.
std::uint32_t LazyParser::insert(std::size_t p)
{
    const std::uint32_t h = hashAt(m_input.at(p));
    const std::uint32_t previous = m_head[h];
    m_prev[p & windowMask] = previous;
    m_head[h] = std::uint32_t(p);
    return previous;
}

std::uint32_t LazyParser::longestMatch(
    std::size_t p, std::uint32_t candidate, std::uint32_t prevLength)
{
    const auto lookahead = std::uint32_t(std::min<std::size_t>(m_window.total() - p, maxMatch));
    // A match as long as what is left can only tie; zlib then keeps the previous match.
    if (prevLength >= lookahead)
        return lookahead;
    std::uint32_t chain = prevLength >= goodLength ? maxChain >> 2 : maxChain;
    const std::uint32_t nice = std::min(niceLength, lookahead);
    const std::size_t limit = p > maxDistance ? p - maxDistance : 0;
    const std::uint8_t *scan = m_input.at(p);
    std::uint32_t best = prevLength;
    do {
        const std::uint8_t *m = m_input.at(candidate);
        if (m[best] != scan[best] || m[best - 1] != scan[best - 1] || m[0] != scan[0]
            || m[1] != scan[1])
            continue;
        const std::uint32_t length = 2 + commonLength(m + 2, scan + 2, lookahead - 2);
        if (length > best) {
            m_state.matchStart = candidate;
            best = length;
            if (length >= nice)
                break;
        }
    } while ((candidate = m_prev[candidate & windowMask]) > limit && --chain != 0);
    return best;
}

void LazyParser::step(std::vector<Symbol> &out)
{
    const std::size_t p = m_position;
    const std::size_t total = m_window.total();
    if (p == total) {
        if (m_state.matchAvailable)
            out.push_back(literal(m_input[p - 1]));
        m_state.matchAvailable = false;
        m_finished = true;
        return;
    }
    std::uint32_t candidate = total - p >= minMatch ? insert(p) : 0;
    if (candidate != 0 && m_window.dropsCandidate(m_previousStep, p, candidate))
        candidate = 0;
    m_previousStep = p;

    const std::uint32_t prevLength = m_state.matchLength;
    const std::uint32_t prevMatch = m_state.matchStart;
    std::uint32_t length = minMatch - 1;
    if (candidate != 0 && prevLength < lazyLength && p - candidate <= maxDistance) {
        length = longestMatch(p, candidate, prevLength);
        if (length == minMatch && p - m_state.matchStart > tooFar)
            length = minMatch - 1;
    }

    if (prevLength >= minMatch && length <= prevLength) {
        out.push_back(match(std::uint32_t(p - 1 - prevMatch), prevLength));
        const std::size_t end = p - 1 + prevLength;
        const std::size_t lastInsert = std::min(end - 1, total - minMatch);
        for (std::size_t q = p + 1; q <= lastInsert; ++q)
            insert(q);
        m_state.matchAvailable = false;
        m_state.matchLength = minMatch - 1;
        m_position = end;
        return;
    }
    if (m_state.matchAvailable)
        out.push_back(literal(m_input[p - 1]));
    m_state.matchAvailable = true;
    m_state.matchLength = length;
    m_position = p + 1;
}

} // namespace quiltmap::deflate
