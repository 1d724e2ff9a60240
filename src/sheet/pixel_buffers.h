#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quiltmap::sheet {

// Large pixel buffers handed on from the tiles drawn to the tiles decoded next. Fresh memory of
// a few MiB comes from the system a page at a time, and those page faults cost more than
// decoding the tile that fills it. Both calls may come from any thread.

// `bytes` bytes; their values are unspecified.
std::vector<std::uint8_t> pixelBuffer(std::size_t bytes);
// Keeps `buffer` for a later pixelBuffer() while few are kept, else lets it go.
void keepPixelBuffer(std::vector<std::uint8_t> &&buffer);

} // namespace quiltmap::sheet
