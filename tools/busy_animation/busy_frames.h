#pragma once

#include <array>
#include <cstdint>

namespace quiltmap::busyanimation {

inline constexpr int FrameSide = 32;
inline constexpr int FrameCount = 6;

// One frame: rows top to bottom, each pixel 0xAARRGGBB, not premultiplied.
using FramePixels = std::array<std::uint32_t, FrameSide * FrameSide>;

// Frame n of the busy symbol: a small arrow pointer beside a grey ring whose light segment
// stands a sixth of a turn further clockwise in each frame.
FramePixels drawBusyFrame(int frame);

} // namespace quiltmap::busyanimation
