#pragma once

#include "sheet/geometry.h"

#include <cstdint>
#include <optional>

namespace quiltmap::sheet {

// Background pixels between the cells and around the sheet. Without either the cells touch and
// fill the sheet exactly, as the window makes it.
struct SheetLayout
{
    int spacing = 0;
    int margin = 0;
};

struct SheetSize
{
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// The sheet with spacing between its columns and rows (none after the last) and the margin on
// every side. Without spacing and margin this is the geometry's own size.
SheetSize sheetSize(const SheetGeometry &geometry, const SheetLayout &layout);

// Where cell `index` lies: cells are filled row by row. In 64 bits, as odd field values can
// push a cell far out.
struct CellPlace
{
    std::int64_t column = 0;
    std::int64_t row = 0;
    std::int64_t x = 0;
    std::int64_t y = 0;
};

// Each side raised to the next power of two (a power of two stays), as GPUs that want such
// textures need.
SheetSize powerOfTwoSize(SheetSize size);

CellPlace cellPlace(const SheetGeometry &geometry, const SheetLayout &layout, int index);

// The largest number of columns, at most one per file, whose sheet is at most `maxSide` pixels
// wide, or nothing when not even one column is.
std::optional<int> widestColumnsWithin(
    const SheetGeometry &geometry, const SheetLayout &layout, std::int64_t maxSide);

// The largest number of columns, at most one per file, whose sheet is at most `maxSide` pixels
// wide and high, or nothing when no number of columns gives such a sheet.
std::optional<int> largestColumnsWithin(
    const SheetGeometry &geometry, const SheetLayout &layout, std::int64_t maxSide);

// The columns whose sheet is closest to square: its longer side over its shorter the least, on a
// tie the fewer rows. With `maxSide`, only sheets at most that wide and high count; nothing when
// none does.
std::optional<int> squarestColumns(const SheetGeometry &geometry, const SheetLayout &layout,
    std::optional<std::int64_t> maxSide = std::nullopt);

} // namespace quiltmap::sheet
