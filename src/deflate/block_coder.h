#pragma once

#include "deflate/symbols.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace quiltmap::deflate {

// A coded block: `bitCount` bits packed in `bits`, then, for a stored block, padding to a byte
// boundary, the length and its complement (2 bytes each, little-endian) and `storedBytes`, which
// are the input where `bufferedBytes` found them. Blocks are coded apart and joined at their bit
// offsets.
struct CodedBlock
{
    std::vector<std::uint8_t> bits;
    std::uint64_t bitCount = 0;
    bool stored = false;
    std::span<const std::uint8_t> storedBytes;
};

// Codes one block as zlib does: builds both Huffman trees and the code-length tree, and picks
// stored, fixed or dynamic coding by the same size comparisons. The symbols cover `byteCount`
// input bytes; `bufferedBytes` gives them when zlib still holds them, null otherwise (asked only
// when storing would be smallest).
CodedBlock codeBlock(std::span<const Symbol> symbols, std::size_t byteCount, bool last,
    const std::function<const std::uint8_t *()> &bufferedBytes);

} // namespace quiltmap::deflate
