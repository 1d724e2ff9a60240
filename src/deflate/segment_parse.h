#pragma once

#include "deflate/lazy_parser.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

namespace quiltmap::deflate {

// Where a parse stands between two steps.
struct ParsePoint
{
    std::size_t position = 0;
    ParseState state;
    std::size_t previousStep = 0;
};

struct StretchParse
{
    Symbols symbols;
    ParsePoint end; // at or past the stretch's end
    bool finished = false;
    // Segments whose guessed parse the true one never met, so they were parsed again in turn.
    std::size_t reparsed = 0;
};

struct StepRecord;

// Parsers kept for the stretches of one input, so that their tables are made once and the true
// parse goes on where the last stretch left it, and the memory the parses write into, so that
// they write into pages touched before. Shared by the threads of a stretch.
class ParserPool
{
public:
    ParserPool(const InputView &input, const WindowModel &window);
    ~ParserPool();
    ParserPool(const ParserPool &) = delete;
    ParserPool &operator=(const ParserPool &) = delete;

    // A parser standing at `point`: the one left there, or one started there.
    std::unique_ptr<LazyParser> startAt(const ParsePoint &point);
    void give(std::unique_ptr<LazyParser> parser);
    // Keeps the parser where the true parse stopped.
    void leave(std::unique_ptr<LazyParser> parser);
    // Empty vectors with room for `capacity` items, in memory given back where it fits.
    Symbols takeSymbols(std::size_t capacity);
    void giveSymbols(Symbols symbols);
    std::vector<StepRecord> takeSteps(std::size_t capacity);
    void giveSteps(std::vector<StepRecord> steps);

private:
    const InputView &m_input;
    const WindowModel &m_window;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<LazyParser>> m_free;
    std::unique_ptr<LazyParser> m_left;
    std::vector<Symbols> m_symbols;
    std::vector<std::vector<StepRecord>> m_steps;
};

// The parse from `from` to `stretchEnd` (or to the input's end when that is `stretchEnd`).
// The stretch is cut into `segments` parsed at once, each but the first from a guessed state
// with the 32 KiB before it primed. The true parse then runs into each next segment until it
// stands where the guessed parse stood, in the same state; from there both are the same. Where
// they do not meet within a bounded stretch, the true parse goes on through the segment.
// The first segment's symbols are written after room for the `room` symbols that join() is
// given to put before them, so that they are not moved.
class StretchParser
{
public:
    StretchParser(ParserPool &parsers, const WindowModel &window, const ParsePoint &from,
        std::size_t stretchEnd, std::size_t segments, std::size_t room = 0);
    ~StretchParser();
    StretchParser(const StretchParser &) = delete;
    StretchParser &operator=(const StretchParser &) = delete;

    std::size_t segmentCount() const;
    // Parses segment k; segments may be parsed at once on different threads.
    void parseSegment(std::size_t k);
    // Once every segment is parsed, the stretch's parse, its symbols after `before`, which
    // holds `room` symbols.
    StretchParse join(Symbols before = {});

private:
    struct Segment;

    ParserPool &m_parsers;
    const WindowModel &m_window;
    const ParsePoint m_from;
    const std::size_t m_room;
    std::vector<Segment> m_segments;
};

// The same on up to `threads` threads.
StretchParse parseStretch(const InputView &input, const WindowModel &window, const ParsePoint &from,
    std::size_t stretchEnd, std::size_t segments, unsigned threads);

} // namespace quiltmap::deflate
