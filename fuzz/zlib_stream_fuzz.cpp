// Compresses arbitrary bytes, stretched to up to 100 KiB so that window slides and block
// limits come into reach, with our zlib stream and with zlib itself fed the same way. Any
// difference is a finding and aborts; so does a segmented parse that differs from the plain one.
#include "deflate/segment_parse.h"
#include "deflate/stream_tuning.h"
#include "zlib_reference.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

// Header: feed size (two bytes), thread and segment counts, stretch factor; then the pattern.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 5)
        return 0;
    const std::size_t feedSize = 1 + (std::size_t(data[0]) | std::size_t(data[1]) << 8) * 5;
    const unsigned threads = 1 + data[2] % 4;
    const std::size_t segments = 1 + data[2] / 4 % 8;
    const std::size_t length = std::size_t(data[3]) * 384 + size - 5;
    const std::uint8_t twist = data[4];
    const std::uint8_t *pattern = data + 5;
    const std::size_t patternSize = size - 5;
    std::vector<std::uint8_t> input(length);
    for (std::size_t i = 0; i < length && patternSize > 0; ++i)
        input[i] = std::uint8_t(pattern[i % patternSize] ^ (twist & (i / patternSize)));

    if (quiltmap::deflate::zlibStream(input, feedSize, threads)
        != quiltmap::fuzz::zlibReference(input, feedSize))
        std::abort();
    const quiltmap::deflate::WindowModel window(input.size(), feedSize);
    const quiltmap::deflate::InputView view { input, 0 };
    if (quiltmap::deflate::parseStretch(view, window, {}, input.size(), segments, threads).symbols
        != quiltmap::deflate::parseStretch(view, window, {}, input.size(), 1, 1).symbols)
        std::abort();
    return 0;
}
