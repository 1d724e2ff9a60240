#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace quiltmap::sheet {

// How large a sheet is: cells of one size, `columns` cells per row, as many rows as the files
// need. Cell i lies in column i % columns and row i / columns.
struct SheetGeometry
{
    int cellWidth = 0;
    int cellHeight = 0;
    int columns = 0;
    int fileCount = 0;
    // Rows the files need; 0 for no files (the sheet still has one row of cells).
    std::int64_t rows = 0;
    int sheetWidth = 0;
    int sheetHeight = 0;

    friend bool operator==(const SheetGeometry &, const SheetGeometry &) = default;
};

// The two callers differ in how they test the columns text for "0": the size report trims
// blanks and control characters first, composition compares the text as it stands.
enum class GeometryVariant { SizeReport, Composition };

// The texts of the width, height and columns fields.
struct GeometryFields
{
    QString width;
    QString height;
    QString columns;
};

struct GeometryResult
{
    SheetGeometry geometry;
    // The columns text after the default: "25" when the field said "0", else unchanged. The
    // field shows this text afterwards.
    QString columnsText;
};

// Computes the sheet geometry from the field texts and the number of listed files.
// Throws quiltmap::Error for 0 columns (the division-by-zero messages of each variant) and for
// a sheet width or height outside the signed 32-bit range. A throw leaves the columns text
// unchanged, because only a text of "0" is rewritten and that never divides by zero.
GeometryResult computeGeometry(
    const GeometryFields &fields, int fileCount, GeometryVariant variant);

// The six lines of the size report, in the markup the size label renders. `columnsText` is
// the columns field's text as shown after the default.
QStringList sizeReportLines(const SheetGeometry &geometry, const QString &columnsText);
// The same for a sheet of `width` x `height` pixels (the geometry's with spacing and margin).
QStringList sizeReportLines(const SheetGeometry &geometry, const QString &columnsText,
    std::int64_t width, std::int64_t height);

} // namespace quiltmap::sheet
