#pragma once

// The sheet's zlib stream, written as classic zlib writes it; docs/deflate.md tells how and why
// the bytes are exact.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace quiltmap::deflate {

// Fills `out` with the input bytes from position `from` on. Called for overlapping stretches,
// from several threads at once.
using InputSource = std::function<void(std::size_t from, std::span<std::uint8_t> out)>;
// Takes the stream's next bytes; false stops the work. Called on any of the stream's threads while
// others parse, one call at a time and in the stream's order.
using OutputSink = std::function<bool(std::span<const std::uint8_t>)>;
// Told that the source is never again asked for bytes before `position`, so that it may let
// them go. The positions told never decrease.
using InputRelease = std::function<void(std::size_t position)>;

// More threads than this are not used.
constexpr unsigned maxZlibStreamThreads = 64;

// Writes the zlib stream of `total` input bytes at level 7 with 15 window bits, memory level 8
// and the default strategy: byte for byte what zlib writes when handed `feedSize` bytes per call
// and then told to finish. Up to `threads` threads parse stretches of the input and code blocks
// at once; the bytes do not depend on the thread count. The input is read a few MiB at a time.
// Returns false when the sink refused bytes.
// Reading moves forward: each stretch is read from shortly before where the last one's parse
// ended, and `release` (when given) hears of that start before the stretch is read.
bool writeZlibStream(std::size_t total, std::size_t feedSize, unsigned threads,
    const InputSource &source, const OutputSink &sink, const InputRelease &release = {});

} // namespace quiltmap::deflate
