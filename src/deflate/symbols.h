#pragma once

#include "common/large_blocks.h"

#include <cstdint>
#include <vector>

namespace quiltmap::deflate {

// One parse step packed in 32 bits: a literal byte is its value (below 256); a match holds its
// distance (1 to 32768) above the low byte and its length minus 3 in the low byte.
using Symbol = std::uint32_t;
// A parse's symbols: about one per input byte on incompressible input, megabytes per stretch.
using Symbols = std::vector<Symbol, LargeBlockAllocator<Symbol>>;

constexpr std::uint32_t minMatch = 3;
constexpr std::uint32_t maxMatch = 258;

constexpr Symbol literal(std::uint8_t byte)
{
    return byte;
}
constexpr Symbol match(std::uint32_t distance, std::uint32_t length)
{
    return distance << 8 | (length - minMatch);
}
constexpr bool isLiteral(Symbol s)
{
    return s < 256;
}
constexpr std::uint32_t distanceOf(Symbol s)
{
    return s >> 8;
}
constexpr std::uint32_t lengthOf(Symbol s)
{
    return isLiteral(s) ? 1 : (s & 0xff) + minMatch;
}

} // namespace quiltmap::deflate
