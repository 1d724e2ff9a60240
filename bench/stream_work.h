#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quiltmap::bench {

// Processor seconds of one stream: the work done on several threads at once, and the work done
// on the calling thread alone.
struct StreamWork
{
    double parallel = 0;
    double serial = 0;
};

// Writes our zlib stream of `data` into `stream` and measures its work.
StreamWork measureZlibStream(std::span<const std::uint8_t> data, std::size_t feedSize,
    unsigned threads, std::vector<std::uint8_t> &stream);

} // namespace quiltmap::bench
