// Compresses the input's bytes as they are with our zlib stream cut into stretches of a few
// dozen to a few thousand bytes, so that stretch joins, kept parsers and blocks coded beside the
// next stretch's parse all turn up in short inputs, and compares with zlib. Cheap enough per
// input for millions of executions; any difference is a finding and aborts.
#include "deflate/stream_tuning.h"
#include "zlib_reference.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

// Header: one byte for the thread count and the segment sizes; then the bytes to compress.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const unsigned threads = 1 + data[0] % 4;
    quiltmap::deflate::StreamTuning tuning;
    tuning.segmentSize = std::size_t(32) << (data[0] / 4 % 7);
    tuning.firstSegmentSize = tuning.segmentSize >> (data[0] / 28 % 4);
    const std::vector<std::uint8_t> input(data + 1, data + size);
    if (quiltmap::deflate::zlibStream(input, input.size(), threads, tuning)
        != quiltmap::fuzz::zlibReference(input, input.size()))
        std::abort();
    return 0;
}
