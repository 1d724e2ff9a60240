#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>

namespace quiltmap::sheet {

// What engines need to slice a sheet: its size, its grid and the background.
struct GridSheet
{
    std::int64_t width = 0;
    std::int64_t height = 0;
    int cellWidth = 0;
    int cellHeight = 0;
    int columns = 0;
    std::int64_t rows = 0;
    int count = 0;
    int spacing = 0;
    int margin = 0;
    // "transparent" or "#RRGGBB".
    QString background;
    // The pages the sheet is split into, each with the size and rows above except a shorter
    // last; 0 for a sheet of one image, which the data then does not mention.
    int pages = 0;
};

// One tile in cell order.
struct GridTile
{
    int index = 0;
    // The entry of the name list.
    QString name;
    QString file;
    std::int64_t column = 0;
    std::int64_t row = 0;
    // The cell's top-left corner on the sheet.
    std::int64_t x = 0;
    std::int64_t y = 0;
    // The tile's own size.
    int width = 0;
    int height = 0;
    // Whether the tile is larger than its cell.
    bool clipped = false;
    // The page (from 1) of a sheet split into pages; then `row` and `y` are on that page.
    int page = 0;
};

// The sheet and its tiles as a JSON document (UTF-8, indented, fields in the order above):
// {"sheet": {...}, "tiles": [...]}. The page fields appear only for a sheet split into pages.
QByteArray gridJson(const GridSheet &sheet, const QList<GridTile> &tiles);

// One header line and one line per tile with the tile fields, comma-separated, CR LF ended;
// a text with a comma, a quotation mark or a line break is quoted, its quotation marks doubled.
// The page field appears only when `paged`.
QByteArray gridCsv(const QList<GridTile> &tiles, bool paged = false);

} // namespace quiltmap::sheet
