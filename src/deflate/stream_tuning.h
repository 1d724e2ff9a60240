#pragma once

#include "deflate/zlib_stream.h"

#include <vector>

namespace quiltmap::deflate {

class JobObserver;

// How a stream is cut into stretches and who watches its jobs; the bytes do not depend on it.
// The defaults are the writer's. Tests scale the sizes down so that small inputs cross many
// stretches; benchmarks watch the jobs.
struct StreamTuning
{
    // Input parsed per thread in a full stretch, and in the first one, which is smaller so that
    // work starts early when the input comes late; stretches double up to the full size.
    // Both at least 1.
    std::size_t segmentSize = std::size_t(1) << 20;
    std::size_t firstSegmentSize = segmentSize / 4;
    JobObserver *jobs = nullptr;
};

bool writeZlibStream(std::size_t total, std::size_t feedSize, unsigned threads,
    const InputSource &source, const OutputSink &sink, const StreamTuning &tuning,
    const InputRelease &release = {});

// The stream of input held in memory.
std::vector<std::uint8_t> zlibStream(std::span<const std::uint8_t> data, std::size_t feedSize,
    unsigned threads, const StreamTuning &tuning = {});

} // namespace quiltmap::deflate
