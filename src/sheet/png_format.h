#pragma once

#include <array>
#include <cstdint>

namespace quiltmap::sheet {

// The eight bytes every PNG file starts with.
inline constexpr std::array<std::uint8_t, 8> pngSignature { 137, 80, 78, 71, 13, 10, 26, 10 };

// One pass of Adam7 interlacing: the pixels from (xStart, yStart) on, every xStep-th column of
// every yStep-th row.
struct Adam7Pass
{
    std::uint32_t xStart, yStart, xStep, yStep;
};

inline constexpr std::array<Adam7Pass, 7> adam7Passes { {
    { 0, 0, 8, 8 },
    { 4, 0, 8, 8 },
    { 0, 4, 4, 8 },
    { 2, 0, 4, 4 },
    { 0, 2, 2, 4 },
    { 1, 0, 2, 2 },
    { 0, 1, 1, 2 },
} };

} // namespace quiltmap::sheet
