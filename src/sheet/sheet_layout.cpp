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

SheetSize powerOfTwoSize(SheetSize size)
{
    const auto raised = [](std::int64_t side) {
        std::int64_t power = 1;
        while (power < side)
            power *= 2;
        return power;
    };
    return { raised(size.width), raised(size.height) };
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

std::optional<int> widestColumnsWithin(
    const SheetGeometry &geometry, const SheetLayout &layout, std::int64_t maxSide)
{
    const std::int64_t step = std::int64_t(geometry.cellWidth) + layout.spacing;
    const std::int64_t room = maxSide - 2 * std::int64_t(layout.margin) + layout.spacing;
    if (step <= 0 || room < step)
        return std::nullopt;
    return int(std::min<std::int64_t>(room / step, std::max(1, geometry.fileCount)));
}

std::optional<int> largestColumnsWithin(
    const SheetGeometry &geometry, const SheetLayout &layout, std::int64_t maxSide)
{
    // The width grows with the columns and the height shrinks, so the widest sheet that fits is
    // the only candidate.
    const std::optional<int> columns = widestColumnsWithin(geometry, layout, maxSide);
    if (!columns)
        return std::nullopt;
    const std::int64_t rows = (std::int64_t(geometry.fileCount) + *columns - 1) / *columns;
    const SheetSize size = withLayout(std::int64_t(*columns) * geometry.cellWidth,
        std::max<std::int64_t>(1, rows) * geometry.cellHeight, *columns, rows, layout);
    if (size.width > maxSide || size.height > maxSide)
        return std::nullopt;
    return columns;
}

std::optional<int> squarestColumns(
    const SheetGeometry &geometry, const SheetLayout &layout, std::optional<std::int64_t> maxSide)
{
    const std::int64_t limit = maxSide.value_or(std::numeric_limits<int>::max());
    std::optional<int> best;
    // The best sheet's longer and shorter side; ratios compare crosswise, exact in 64 bits for
    // sides that fit an int.
    std::int64_t bestLong = 1;
    std::int64_t bestShort = 0;
    for (int columns = std::max(1, geometry.fileCount); columns >= 1; --columns) {
        const std::int64_t rows = (std::int64_t(geometry.fileCount) + columns - 1) / columns;
        const SheetSize size = withLayout(std::int64_t(columns) * geometry.cellWidth,
            std::max<std::int64_t>(1, rows) * geometry.cellHeight, columns, rows, layout);
        if (size.width > limit || size.height > limit)
            continue;
        const std::int64_t longer = std::max(size.width, size.height);
        const std::int64_t shorter = std::min(size.width, size.height);
        // Columns run downwards, so rows only grow: a tie keeps the earlier, fewer rows.
        if (!best || longer * bestShort < bestLong * shorter) {
            best = columns;
            bestLong = longer;
            bestShort = shorter;
        }
    }
    return best;
}

} // namespace quiltmap::sheet
