#include "sheet/sheet_layout.h"

#include <algorithm>
#include <limits>

namespace quiltmap::sheet {
namespace {

// Adds the spacing between `columns` columns and `rows` rows and the margins to the cells' size.
SheetSize withLayout(std::int64_t cellsWidth, std::int64_t cellsHeight, std::int64_t columns,
    std::int64_t rows, const SheetLayout &layout)
{
    const std::int64_t margins = 2 * std::int64_t(layout.margin);
    return { cellsWidth + (std::max<std::int64_t>(1, columns) - 1) * layout.spacing + margins,
        cellsHeight + (std::max<std::int64_t>(1, rows) - 1) * layout.spacing + margins };
}

} // namespace

SheetSize sheetSize(const SheetGeometry &geometry, const SheetLayout &layout)
{
    return withLayout(
        geometry.sheetWidth, geometry.sheetHeight, geometry.columns, geometry.rows, layout);
}

CellPlace cellPlace(const SheetGeometry &geometry, const SheetLayout &layout, int index)
{
    CellPlace place;
    place.column = geometry.columns > 0 ? index % geometry.columns : index;
    place.row = geometry.columns > 0 ? index / geometry.columns : 0;
    place.x = layout.margin + place.column * (std::int64_t(geometry.cellWidth) + layout.spacing);
    place.y = layout.margin + place.row * (std::int64_t(geometry.cellHeight) + layout.spacing);
    return place;
}

std::optional<int> largestColumnsWithin(
    const SheetGeometry &geometry, const SheetLayout &layout, std::int64_t maxSide)
{
    // The width, margin + c (cell + spacing) - spacing + margin, grows with c; the height
    // shrinks with it, so the widest sheet that fits is the only candidate.
    const std::int64_t step = std::int64_t(geometry.cellWidth) + layout.spacing;
    const std::int64_t room = maxSide - 2 * std::int64_t(layout.margin) + layout.spacing;
    if (step <= 0 || room < step)
        return std::nullopt;
    const std::int64_t columns
        = std::min<std::int64_t>(room / step, std::numeric_limits<int>::max());
    const std::int64_t rows = (std::int64_t(geometry.fileCount) + columns - 1) / columns;
    const SheetSize size = withLayout(columns * geometry.cellWidth,
        std::max<std::int64_t>(1, rows) * geometry.cellHeight, columns, rows, layout);
    if (size.width > maxSide || size.height > maxSide)
        return std::nullopt;
    return int(columns);
}

} // namespace quiltmap::sheet
