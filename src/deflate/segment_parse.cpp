#include "deflate/segment_parse.h"

#include "deflate/parallel_for.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace quiltmap::deflate {
namespace {

// How far into a segment the true parse may run looking for the guessed one.
constexpr std::size_t meetingStretch = std::size_t(1) << 16;
constexpr std::uint32_t notAStep = UINT32_MAX;

ParsePoint pointOf(const LazyParser &parser)
{
    return { parser.position(), parser.state(), parser.previousStep() };
}

// The smallest kept vector that holds `capacity` items, else the largest, grown with room to
// spare: a vector that has to grow moves to fresh memory, whose every page then faults, and the
// room the first segment is asked for varies a little from stretch to stretch.
template<typename Vector>
Vector takeKept(std::mutex &mutex, std::vector<Vector> &kept, std::size_t capacity)
{
    Vector v;
    const std::lock_guard lock(mutex);
    const auto fits = [capacity](const Vector &a, const Vector &b) {
        const bool aFits = a.capacity() >= capacity;
        const bool bFits = b.capacity() >= capacity;
        if (aFits != bFits)
            return bFits;
        return aFits ? a.capacity() > b.capacity() : a.capacity() < b.capacity();
    };
    if (const auto chosen = std::max_element(kept.begin(), kept.end(), fits);
        chosen != kept.end()) {
        v = std::move(*chosen);
        kept.erase(chosen);
        v.clear();
    }
    if (v.capacity() < capacity)
        v.reserve(capacity + capacity / 8);
    return v;
}

template<typename Vector> void giveKept(std::mutex &mutex, std::vector<Vector> &kept, Vector v)
{
    const std::lock_guard lock(mutex);
    kept.push_back(std::move(v));
}

} // namespace

struct StepRecord
{
    std::uint32_t offset = 0; // from the segment's start
    std::uint32_t symbolCount = 0;
    ParseState state;
};

struct StretchParser::Segment
{
    std::size_t begin = 0;
    std::size_t end = 0;
    Symbols symbols;
    // The guessed parse's steps over the segment's first `recorded` bytes.
    std::vector<StepRecord> steps;
    std::size_t recorded = 0;
    ParsePoint stop;
    bool finished = false;
    // Where the parse stopped, to go on from there.
    std::unique_ptr<LazyParser> parser;

    // Where the guessed parse stood at `position` in `state`, the symbols it emitted before that
    // step; notAStep otherwise. At a slide point a step depends on the step before, which the
    // guessed parse did not share, so no meeting is taken there. Positions are asked in rising
    // order; `next` is the first record not passed yet.
    std::uint32_t meetingPoint(
        std::size_t position, const ParseState &state, std::size_t &next) const
    {
        const std::size_t offset = position - begin;
        while (next < steps.size() && steps[next].offset < offset)
            ++next;
        if (next == steps.size() || steps[next].offset != offset
            || WindowModel::isSlidePoint(position))
            return notAStep;
        return steps[next].state == state ? steps[next].symbolCount : notAStep;
    }
};

ParserPool::ParserPool(const InputView &input, const WindowModel &window)
    : m_input(input)
    , m_window(window)
{ }

ParserPool::~ParserPool() = default;

std::unique_ptr<LazyParser> ParserPool::startAt(const ParsePoint &point)
{
    std::unique_lock lock(m_mutex);
    std::unique_ptr<LazyParser> parser = std::move(m_left);
    if (parser && parser->position() == point.position && parser->state() == point.state
        && parser->previousStep() == point.previousStep)
        return parser;
    if (parser)
        m_free.push_back(std::move(parser));
    if (!m_free.empty()) {
        parser = std::move(m_free.back());
        m_free.pop_back();
    }
    lock.unlock();
    if (!parser)
        parser = std::make_unique<LazyParser>(m_input, m_window);
    parser->start(point.position, point.state, point.previousStep);
    return parser;
}

void ParserPool::give(std::unique_ptr<LazyParser> parser)
{
    const std::lock_guard lock(m_mutex);
    m_free.push_back(std::move(parser));
}

Symbols ParserPool::takeSymbols(std::size_t capacity)
{
    return takeKept(m_mutex, m_symbols, capacity);
}

void ParserPool::giveSymbols(Symbols symbols)
{
    giveKept(m_mutex, m_symbols, std::move(symbols));
}

std::vector<StepRecord> ParserPool::takeSteps(std::size_t capacity)
{
    return takeKept(m_mutex, m_steps, capacity);
}

void ParserPool::giveSteps(std::vector<StepRecord> steps)
{
    giveKept(m_mutex, m_steps, std::move(steps));
}

void ParserPool::leave(std::unique_ptr<LazyParser> parser)
{
    const std::lock_guard lock(m_mutex);
    if (m_left)
        m_free.push_back(std::move(m_left));
    m_left = std::move(parser);
}

StretchParser::StretchParser(ParserPool &parsers, const WindowModel &window, const ParsePoint &from,
    std::size_t stretchEnd, std::size_t segments, std::size_t room)
    : m_parsers(parsers)
    , m_window(window)
    , m_from(from)
    , m_room(room)
    , m_segments(std::max<std::size_t>(segments, 1))
{
    const std::size_t n = m_segments.size();
    for (std::size_t k = 0; k < n; ++k) {
        m_segments[k].begin = from.position + (stretchEnd - from.position) * k / n;
        m_segments[k].end = from.position + (stretchEnd - from.position) * (k + 1) / n;
    }
}

StretchParser::~StretchParser() = default;

std::size_t StretchParser::segmentCount() const
{
    return m_segments.size();
}

void StretchParser::parseSegment(std::size_t k)
{
    Segment &segment = m_segments[k];
    segment.parser
        = m_parsers.startAt(k == 0 ? m_from : ParsePoint { segment.begin, {}, segment.begin - 1 });
    LazyParser &parser = *segment.parser;
    // At most a symbol per byte; the first segment's grow by the later ones' in join().
    if (k == 0) {
        segment.symbols
            = m_parsers.takeSymbols(m_room + m_segments.back().end - segment.begin + maxMatch);
        segment.symbols.resize(m_room);
    } else {
        segment.symbols = m_parsers.takeSymbols(segment.end - segment.begin + maxMatch);
        segment.recorded = std::min(meetingStretch, m_window.total() - segment.begin + 1);
        segment.steps
            = m_parsers.takeSteps(std::min(segment.recorded, segment.end - segment.begin + 1));
        while (!parser.finished() && parser.position() < segment.end
            && parser.position() - segment.begin < segment.recorded) {
            segment.steps.push_back({ std::uint32_t(parser.position() - segment.begin),
                std::uint32_t(segment.symbols.size()), parser.state() });
            parser.step(segment.symbols);
        }
    }
    parser.runTo(segment.end, segment.symbols);
    segment.stop = pointOf(parser);
    segment.finished = parser.finished();
}

// The true parse goes on with the parser of the segment where it stands: the tables of a parse
// depend only on the input before it.
StretchParse StretchParser::join(Symbols before)
{
    StretchParse result;
    result.symbols = std::move(m_segments[0].symbols);
    if (before.size() != m_room)
        throw std::logic_error("deflate: symbols before a stretch other than its room");
    std::copy(before.begin(), before.end(), result.symbols.begin());
    m_parsers.giveSymbols(std::move(before));
    result.end = m_segments[0].stop;
    result.finished = m_segments[0].finished;
    std::unique_ptr<LazyParser> parser = std::move(m_segments[0].parser);
    for (std::size_t k = 1; k < m_segments.size() && !result.finished; ++k) {
        Segment &segment = m_segments[k];
        std::uint32_t met = notAStep;
        std::size_t next = 0;
        while ((met = segment.meetingPoint(parser->position(), parser->state(), next)) == notAStep
            && !parser->finished() && parser->position() < segment.end
            && parser->position() - segment.begin < segment.recorded)
            parser->step(result.symbols);
        if (met == notAStep) {
            ++result.reparsed;
            parser->runTo(segment.end, result.symbols);
            result.end = pointOf(*parser);
            result.finished = parser->finished();
        } else {
            result.symbols.insert(
                result.symbols.end(), segment.symbols.begin() + met, segment.symbols.end());
            result.end = segment.stop;
            result.finished = segment.finished;
            m_parsers.give(std::move(parser));
            parser = std::move(segment.parser);
        }
        if (segment.parser)
            m_parsers.give(std::move(segment.parser));
        m_parsers.giveSymbols(std::move(segment.symbols));
        m_parsers.giveSteps(std::move(segment.steps));
    }
    m_parsers.leave(std::move(parser));
    return result;
}

StretchParse parseStretch(const InputView &input, const WindowModel &window, const ParsePoint &from,
    std::size_t stretchEnd, std::size_t segments, unsigned threads)
{
    ParserPool parsers(input, window);
    StretchParser parser(parsers, window, from, stretchEnd, segments);
    parallelFor(parser.segmentCount(), threads, [&](std::size_t k) { parser.parseSegment(k); });
    return parser.join();
}

} // namespace quiltmap::deflate
