#include "deflate/segment_parse.h"

#include "deflate/parallel_for.h"

#include <algorithm>

namespace quiltmap::deflate {
namespace {

// How far into a segment the true parse may run looking for the guessed one.
constexpr std::size_t meetingStretch = std::size_t(1) << 16;
constexpr std::uint32_t notAStep = UINT32_MAX;

struct StepRecord
{
    std::uint32_t symbolCount = notAStep;
    ParseState state;
};

struct Segment
{
    std::size_t begin = 0;
    std::size_t end = 0;
    std::vector<Symbol> symbols;
    std::vector<StepRecord> steps; // the guessed parse's steps over the segment's start
    ParsePoint stop;
    bool finished = false;
};

// Runs `parser` until it stands at or past `end`, or to its finish when `end` is the input's.
void runTo(LazyParser &parser, std::size_t end, std::size_t total, std::vector<Symbol> &out)
{
    while (!parser.finished() && (parser.position() < end || end == total))
        parser.step(out);
}

ParsePoint pointOf(const LazyParser &parser)
{
    return { parser.position(), parser.state(), parser.previousStep() };
}

void parseSegment(Segment &segment, const InputView &input, const WindowModel &window,
    const ParsePoint &start, bool guessed)
{
    LazyParser parser(input, window);
    parser.start(start.position, start.state, start.previousStep);
    if (guessed) {
        segment.steps.resize(std::min(meetingStretch, window.total() - segment.begin + 1));
        while (!parser.finished() && parser.position() < segment.end
            && parser.position() - segment.begin < segment.steps.size()) {
            segment.steps[parser.position() - segment.begin]
                = { std::uint32_t(segment.symbols.size()), parser.state() };
            parser.step(segment.symbols);
        }
    }
    runTo(parser, segment.end, window.total(), segment.symbols);
    segment.stop = pointOf(parser);
    segment.finished = parser.finished();
}

// Where the guessed parse of `segment` stood at `position` in `state`, the symbols it emitted
// before that step; notAStep otherwise. At a slide point a step depends on the step before,
// which the guessed parse did not share, so no meeting is taken there.
std::uint32_t meetingPoint(const Segment &segment, std::size_t position, const ParseState &state)
{
    if (position - segment.begin >= segment.steps.size() || WindowModel::isSlidePoint(position))
        return notAStep;
    const StepRecord &record = segment.steps[position - segment.begin];
    return record.symbolCount != notAStep && record.state == state ? record.symbolCount : notAStep;
}

} // namespace

StretchParse parseStretch(const InputView &input, const WindowModel &window, const ParsePoint &from,
    std::size_t stretchEnd, std::size_t segments, unsigned threads)
{
    const std::size_t n = std::max<std::size_t>(segments, 1);
    std::vector<Segment> parts(n);
    for (std::size_t k = 0; k < n; ++k) {
        parts[k].begin = from.position + (stretchEnd - from.position) * k / n;
        parts[k].end = from.position + (stretchEnd - from.position) * (k + 1) / n;
    }
    parallelFor(n, threads, [&](std::size_t k) {
        const ParsePoint guess { parts[k].begin, ParseState {}, parts[k].begin - 1 };
        parseSegment(parts[k], input, window, k == 0 ? from : guess, k > 0);
    });

    StretchParse result;
    result.symbols = std::move(parts[0].symbols);
    result.end = parts[0].stop;
    result.finished = parts[0].finished;
    LazyParser parser(input, window);
    for (std::size_t k = 1; k < n && !result.finished; ++k) {
        Segment &segment = parts[k];
        parser.start(result.end.position, result.end.state, result.end.previousStep);
        std::uint32_t met = notAStep;
        while ((met = meetingPoint(segment, parser.position(), parser.state())) == notAStep
            && !parser.finished() && parser.position() < segment.end
            && parser.position() - segment.begin < segment.steps.size())
            parser.step(result.symbols);
        if (met == notAStep) {
            ++result.reparsed;
            runTo(parser, segment.end, window.total(), result.symbols);
            result.end = pointOf(parser);
            result.finished = parser.finished();
        } else {
            result.symbols.insert(
                result.symbols.end(), segment.symbols.begin() + met, segment.symbols.end());
            result.end = segment.stop;
            result.finished = segment.finished;
        }
        std::vector<Symbol>().swap(segment.symbols);
        std::vector<StepRecord>().swap(segment.steps);
    }
    return result;
}

} // namespace quiltmap::deflate
