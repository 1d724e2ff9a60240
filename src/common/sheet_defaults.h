#pragma once

namespace quiltmap {

// The sheet the window starts with, and the command line's defaults: cells of 48 x 48 pixels,
// 25 of them per row.
inline constexpr int defaultCellSide = 48;
inline constexpr int defaultTilesPerRow = 25;

} // namespace quiltmap
