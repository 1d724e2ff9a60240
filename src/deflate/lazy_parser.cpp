#include "deflate/lazy_parser.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>

namespace quiltmap::deflate {
namespace {

constexpr std::uint32_t hashMask = 0x7fff;
constexpr std::uint32_t keyBits = 15;
constexpr std::uint32_t windowMask = windowSize - 1;
constexpr std::uint32_t goodLength = 8;
constexpr std::uint32_t lazyLength = 32;
constexpr std::uint32_t niceLength = 128;
constexpr std::uint32_t maxChain = 256;
constexpr std::size_t tooFar = 4096;
// A string is on the keyed chains when the 7 bytes their keys read are there.
constexpr std::size_t keyedLookahead = 7;
// zlib's chain is walked this far before the keyed chains take over, unless they are up to date:
// on content with few repeats nearly all chains end sooner, and the keyed chains are rarely
// brought up to date. Once a chain was that long, they are kept up to date for a while.
constexpr std::uint32_t plainSteps = 8;
constexpr std::size_t keptKeyed = 4096;
// Heads farther back than this are out of reach; they are moved up to it every refreshInterval
// positions, so that none falls 2^32 behind.
constexpr std::uint32_t farBehind = 2 * windowSize;
constexpr std::size_t refreshInterval = std::size_t(1) << 31;

std::uint32_t load16(const std::uint8_t *p)
{
    std::uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::uint32_t load32(const std::uint8_t *p)
{
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::uint64_t load64(const std::uint8_t *p)
{
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The rolling hash of three bytes with 15 bits and a shift of 5 depends on those bytes only.
std::uint32_t hashAt(const std::uint8_t *p)
{
    return ((std::uint32_t(p[0]) << 10) ^ (std::uint32_t(p[1]) << 5) ^ p[2]) & hashMask;
}

std::uint32_t keyOfFour(const std::uint8_t *p)
{
    return (load32(p) * 0x9e3779b1u) >> (32 - keyBits);
}

// Bytes 0 to 3 and 3 to 6, in whichever order the machine loads them.
std::uint32_t keyOfSeven(const std::uint8_t *p)
{
    const std::uint64_t bytes = std::uint64_t(load32(p + 3)) << 32 | load32(p);
    return std::uint32_t((bytes * 0x9e3779b97f4a7c15u) >> (64 - keyBits));
}

// Puts p at the head of its key's chain; returns the previous head, 0 for none. Heads hold
// positions modulo 2^32, which give the distance back while no head lies 2^32 or more behind
// (LazyParser::refreshHeads sees to that). The distance saturates where it is out of reach anyway.
std::size_t link(std::uint32_t *heads, std::uint16_t *backs, std::size_t p, std::uint32_t key)
{
    const std::uint32_t distance = std::uint32_t(p) - heads[key];
    backs[p & windowMask] = std::uint16_t(std::min<std::uint32_t>(distance, UINT16_MAX));
    heads[key] = std::uint32_t(p);
    return p - distance;
}

// Calls f(slot, done, k) for the window slots of `count` positions from `from` on, in stretches
// of k slots that do not wrap, `done` positions after `from`.
template<typename F> void forEachSlot(std::size_t from, std::size_t count, F f)
{
    for (std::size_t done = 0; done < count;) {
        const std::size_t slot = (from + done) & windowMask;
        const std::size_t k = std::min(count - done, windowSize - slot);
        f(slot, done, k);
        done += k;
    }
}

// Links strings p to p + n - 1, all of one key, in turn.
void linkRun(
    std::uint32_t *heads, std::uint16_t *backs, std::size_t p, std::size_t n, std::uint32_t key)
{
    link(heads, backs, p, key);
    forEachSlot(p + 1, n - 1, [&](std::size_t slot, std::size_t, std::size_t k) {
        std::fill_n(backs + slot, k, std::uint16_t(1));
    });
    heads[key] = std::uint32_t(p + n - 1);
}

// How many strings from the one at `bytes` on, at most `limit`, have their first 7 bytes all of
// one value; 0 when the first has not. The bytes up to limit + 5 are readable.
std::size_t runLength(const std::uint8_t *bytes, std::size_t limit)
{
    const std::uint32_t four = 0x01010101u * bytes[0];
    if (load32(bytes) != four || load32(bytes + 3) != four)
        return 0;
    std::size_t n = 1;
    const std::uint64_t eight = 0x0101010101010101u * bytes[0];
    while (n + 8 <= limit && load64(bytes + n + 6) == eight)
        n += 8;
    while (n < limit && bytes[n + 6] == bytes[0])
        ++n;
    return n;
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

LazyParser::Chain::Chain(std::size_t keyCount)
    : keys(keyCount)
    , head(std::make_unique_for_overwrite<std::uint32_t[]>(keyCount))
    , back(std::make_unique_for_overwrite<std::uint16_t[]>(windowSize))
{ }

// Near the input's start the heads say "none"; farther on they lie out of reach before p, which
// is the same to every search.
void LazyParser::Chain::clear(std::size_t p)
{
    std::fill_n(head.get(), keys, std::uint32_t(p < farBehind ? 0 : p - farBehind));
    std::memset(back.get(), 0, windowSize * sizeof back[0]);
}

void LazyParser::Chain::refresh(std::size_t p)
{
    for (std::uint32_t &h : std::span(head.get(), keys))
        if (std::uint32_t(p) - h > farBehind)
            h = std::uint32_t(p - farBehind);
}

std::size_t LazyParser::Chain::add(std::size_t p, std::uint32_t key)
{
    return link(head.get(), back.get(), p, key);
}

std::size_t LazyParser::Chain::next(std::size_t p) const
{
    return p - back[p & windowMask];
}

LazyParser::LazyParser(const InputView &input, const WindowModel &window)
    : m_input(input)
    , m_window(window)
    , m_chain(hashMask + 1)
    , m_rank(std::make_unique_for_overwrite<std::uint16_t[]>(windowSize))
    , m_four(std::size_t(1) << keyBits)
    , m_seven(std::size_t(1) << keyBits)
{ }

void LazyParser::start(std::size_t position, ParseState state, std::size_t previousStep)
{
    const std::size_t primeFrom = position > windowSize ? position - windowSize : 0;
    m_chain.clear(primeFrom);
    std::memset(m_rank.get(), 0, windowSize * sizeof m_rank[0]);
    m_four.clear(primeFrom);
    m_seven.clear(primeFrom);
    m_refreshAt = (primeFrom / refreshInterval + 1) * refreshInterval;
    const std::size_t total = m_window.total();
    const std::size_t primeTo = std::min(position, total < minMatch ? 0 : total - 2);
    if (primeFrom < primeTo)
        insertRange(primeFrom, primeTo);
    m_keyedTo = primeFrom;
    m_keepKeyedTo = 0;
    m_position = position;
    m_state = state;
    m_previousStep = previousStep;
    m_finished = false;
}

void LazyParser::refreshHeads()
{
    m_chain.refresh(m_position);
    m_four.refresh(m_position);
    m_seven.refresh(m_position);
    m_refreshAt += refreshInterval;
}

// Returns the previous entry of the string's chain; 0 stands for none, so position 0 is never a
// candidate, as in zlib.
inline std::size_t LazyParser::insert(std::size_t p)
{
    return m_chain.add(p, hashAt(m_input.at(p)));
}

// Puts the strings from `from` to before `to` on zlib's chains. Strings inside a run of one byte
// value share their hash; they are linked as a run.
void LazyParser::insertRange(std::size_t from, std::size_t to)
{
    std::uint32_t *const head = m_chain.head.get();
    std::uint16_t *const back = m_chain.back.get();
    const std::size_t total = m_window.total();
    const std::size_t runsEnd
        = std::min(to, total + 1 > keyedLookahead ? total + 1 - keyedLookahead : 0);
    const std::uint8_t *bytes = m_input.at(from);
    for (std::size_t p = from; p < to;) {
        const std::uint32_t hash = hashAt(bytes);
        const std::size_t run = p < runsEnd ? runLength(bytes, runsEnd - p) : 0;
        if (run > 1) {
            linkRun(head, back, p, run, hash);
            p += run;
            bytes += run;
            continue;
        }
        link(head, back, p, hash);
        ++p;
        ++bytes;
    }
}

// Ranks the string at q and puts it on the keyed chains. A string's rank follows from its
// predecessor on zlib's chain, which is older and so already ranked, or out of reach, where a
// rank is never compared.
[[gnu::always_inline]] inline void LazyParser::key(std::size_t q, const std::uint8_t *bytes)
{
    std::uint16_t *const rank = m_rank.get();
    rank[q & windowMask] = std::uint16_t(rank[(q - m_chain.back[q & windowMask]) & windowMask] + 1);
    m_four.add(q, keyOfFour(bytes));
    m_seven.add(q, keyOfSeven(bytes));
}

// Brings the ranks and the keyed chains up to the string at p, which has keyedLookahead bytes,
// from at most a window back: no search reaches farther.
void LazyParser::keyUpTo(std::size_t p)
{
    const std::size_t from = std::max(m_keyedTo, p + 1 > windowSize ? p + 1 - windowSize : 0);
    if (from > p)
        return;
    m_keyedTo = p + 1;
    const std::uint16_t *const back = m_chain.back.get();
    std::uint16_t *const rank = m_rank.get();
    const std::uint8_t *bytes = m_input.at(from);
    for (std::size_t q = from; q <= p;) {
        const std::size_t run = runLength(bytes, p + 1 - q);
        if (run > 1) {
            const std::uint16_t counted = rank[(q - back[q & windowMask]) & windowMask];
            forEachSlot(q, run, [&](std::size_t slot, std::size_t done, std::size_t k) {
                std::iota(rank + slot, rank + slot + k, std::uint16_t(counted + 1 + done));
            });
            linkRun(m_four.head.get(), m_four.back.get(), q, run, keyOfFour(bytes));
            linkRun(m_seven.head.get(), m_seven.back.get(), q, run, keyOfSeven(bytes));
            q += run;
            bytes += run;
            continue;
        }
        key(q, bytes);
        ++q;
        ++bytes;
    }
}

// The first string below `below` on `chain` after `from`, which is p or a string sharing p's key.
std::size_t LazyParser::keyedBelow(const Chain &chain, std::size_t from, std::size_t below)
{
    std::size_t candidate = chain.next(from);
    while (candidate >= below)
        candidate = chain.next(candidate);
    return candidate;
}

// What longestMatch finds, without the call where content with few repeats spends most steps:
// a chain that ends within reach after a few strings, none sharing the bytes zlib compares
// first, leaves prevLength as it is.
[[gnu::always_inline]] inline std::uint32_t LazyParser::matchAt(
    std::size_t p, std::size_t first, std::uint32_t prevLength)
{
    if (prevLength < m_window.total() - p) {
        const std::uint8_t *scan = m_input.at(p);
        const std::uint32_t scanStart = load16(scan);
        const std::uint32_t scanEnd = load16(scan + prevLength - 1);
        std::size_t candidate = first;
        for (std::uint32_t i = 0; i < plainSteps; ++i) {
            const std::uint8_t *m = m_input.at(candidate);
            if (load16(m + prevLength - 1) == scanEnd && load16(m) == scanStart)
                break;
            candidate = m_chain.next(candidate);
            if (candidate + maxDistance <= p)
                return prevLength;
        }
    }
    return longestMatch(p, first, prevLength);
}

// zlib's search: down the chain of `first` for at most `chain` strings newer than `limit`, the
// first string with the longest match beyond prevLength. Once a match beats 3 or 6 bytes, only
// strings sharing 4 or 7 bytes with p can beat it: on a long chain those are taken from their
// own chains, in the same order, where zlib's chain would still have reached them.
std::uint32_t LazyParser::longestMatch(std::size_t p, std::size_t first, std::uint32_t prevLength)
{
    const auto lookahead = std::uint32_t(std::min<std::size_t>(m_window.total() - p, maxMatch));
    // A match as long as what is left can only tie; zlib then keeps the previous match.
    if (prevLength >= lookahead)
        return lookahead;
    const std::uint32_t chain = prevLength >= goodLength ? maxChain >> 2 : maxChain;
    const std::uint32_t nice = std::min(niceLength, lookahead);
    const std::size_t limit = p > maxDistance ? p - maxDistance : 0;
    const std::uint8_t *scan = m_input.at(p);
    const bool keyed = lookahead >= keyedLookahead;
    std::uint32_t best = prevLength;
    std::size_t bestAt = p;
    std::size_t candidate = first;
    for (std::uint32_t left = chain;;) {
        const std::uint8_t *m = m_input.at(candidate);
        if (load16(m + best - 1) == load16(scan + best - 1) && load16(m) == load16(scan)) {
            const std::uint32_t length = 2 + commonLength(m + 2, scan + 2, lookahead - 2);
            if (length > best) {
                m_state.matchStart = candidate;
                bestAt = candidate;
                best = length;
                if (length >= nice)
                    return best;
            }
        }
        candidate = m_chain.next(candidate);
        if (candidate <= limit || --left == 0)
            return best;
        if (keyed && best >= minMatch && (m_keyedTo > p || chain - left >= plainSteps))
            break;
    }

    if (m_keyedTo <= p) {
        keyUpTo(p);
        m_keepKeyedTo = p + keptKeyed;
    }
    const std::uint16_t *const rank = m_rank.get();
    const std::uint16_t firstRank = rank[first & windowMask];
    const std::uint32_t scanStart = load32(scan);
    bool seven = best >= 6;
    // The best match so far is on the keyed chain when it is as long as the key.
    const std::size_t keyLength = seven ? 7 : 4;
    candidate = keyedBelow(seven ? m_seven : m_four, best >= keyLength ? bestAt : p, candidate + 1);
    const std::uint16_t *back = (seven ? m_seven : m_four).back.get();
    std::uint32_t scanEnd = load16(scan + best - 1);
    while (candidate > limit) {
        const std::uint8_t *m = m_input.at(candidate);
        if (load32(m) == scanStart) {
            // Sharing 3 bytes, the string is on the first string's chain of zlib.
            if (std::uint16_t(firstRank - rank[candidate & windowMask]) >= chain)
                break;
            if (load16(m + best - 1) == scanEnd) {
                const std::uint32_t length = 4 + commonLength(m + 4, scan + 4, lookahead - 4);
                if (length > best) {
                    m_state.matchStart = candidate;
                    best = length;
                    if (length >= nice)
                        break;
                    scanEnd = load16(scan + best - 1);
                    if (!seven && best >= 6) {
                        seven = true;
                        back = m_seven.back.get();
                        candidate = keyedBelow(m_seven, best >= 7 ? candidate : p, candidate);
                        continue;
                    }
                }
            }
        }
        candidate -= back[candidate & windowMask];
    }
    return best;
}

// The parse's inner loop: inlined into runTo, where the parse spends its time.
[[gnu::always_inline]] inline void LazyParser::advance(Symbols &out)
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
    if (p >= m_refreshAt) [[unlikely]]
        refreshHeads();
    std::size_t candidate = total - p >= minMatch ? insert(p) : 0;
    if (m_keyedTo == p && p < m_keepKeyedTo && total - p >= keyedLookahead) {
        key(p, m_input.at(p));
        m_keyedTo = p + 1;
    }
    if (candidate != 0 && m_window.dropsCandidate(m_previousStep, p, candidate))
        candidate = 0;
    m_previousStep = p;

    const std::uint32_t prevLength = m_state.matchLength;
    const std::size_t prevMatch = m_state.matchStart;
    std::uint32_t length = minMatch - 1;
    if (candidate != 0 && prevLength < lazyLength && p - candidate <= maxDistance) {
        length = matchAt(p, candidate, prevLength);
        if (length == minMatch && p - m_state.matchStart > tooFar)
            length = minMatch - 1;
    }

    if (prevLength >= minMatch && length <= prevLength) {
        out.push_back(match(std::uint32_t(p - 1 - prevMatch), prevLength));
        const std::size_t end = p - 1 + prevLength;
        const std::size_t lastInsert = std::min(end - 1, total - minMatch);
        if (p < lastInsert) {
            insertRange(p + 1, lastInsert + 1);
            if (m_keyedTo == p + 1 && p < m_keepKeyedTo && total - lastInsert >= keyedLookahead)
                keyUpTo(lastInsert);
        }
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

void LazyParser::step(Symbols &out)
{
    advance(out);
}

void LazyParser::runTo(std::size_t end, Symbols &out)
{
    const bool toFinish = end == m_window.total();
    while (!m_finished && (m_position < end || toFinish))
        advance(out);
}

} // namespace quiltmap::deflate
