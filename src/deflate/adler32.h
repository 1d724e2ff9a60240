#pragma once

#include <cstdint>
#include <span>

namespace quiltmap::deflate {

// The Adler-32 checksum of zlib streams, continued from `adler` (1 for an empty input). Several
// times faster than zlib's own on x86-64, where it sums 16 bytes per step.
std::uint32_t adler32(std::uint32_t adler, std::span<const std::uint8_t> bytes);

} // namespace quiltmap::deflate
