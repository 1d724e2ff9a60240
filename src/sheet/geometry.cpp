#include "sheet/geometry.h"

#include "common/error.h"
#include "common/sheet_defaults.h"
#include "sheet/field_number.h"

#include <algorithm>
#include <limits>

namespace quiltmap::sheet {
namespace {

bool isZeroColumns(const QString &text, GeometryVariant variant)
{
    if (variant == GeometryVariant::Composition)
        return text == u"0";
    // Trims every character up to U+0020, control characters included.
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= 0x20)
        ++first;
    while (last > first && text[last - 1].unicode() <= 0x20)
        --last;
    return QStringView(text).sliced(first, last - first) == u"0";
}

// The row count as the field values give it, including the system's failures for 0 columns,
// whose messages differ between the two variants.
std::int64_t rowsFor(int fileCount, int columns, GeometryVariant variant)
{
    if (columns == 0) {
        const ErrorFacts facts { .code = ErrorCode::ZeroColumns };
        if (fileCount == 0)
            throw Error(QStringLiteral("Ungültige Gleitkommaoperation"), facts);
        throw Error(variant == GeometryVariant::SizeReport
                ? QStringLiteral("Division durch Null")
                : QStringLiteral("Gleitkommadivision durch Null"),
            facts);
    }
    const std::int64_t quotient = std::int64_t(fileCount) / columns;
    if (fileCount != columns && fileCount % columns != 0)
        return quotient + 1;
    return quotient;
}

int sheetSide(std::int64_t side, const char *what, ErrorFacts facts)
{
    if (side < std::numeric_limits<int>::min() || side > std::numeric_limits<int>::max())
        throw Error(QStringLiteral("Die %1 des Bildes (%2 Pixel) ist zu groß")
                        .arg(QLatin1StringView(what))
                        .arg(side),
            facts);
    return int(side);
}

} // namespace

GeometryResult computeGeometry(const GeometryFields &fields, int fileCount, GeometryVariant variant)
{
    GeometryResult result;
    result.columnsText = isZeroColumns(fields.columns, variant)
        ? QString::number(defaultTilesPerRow)
        : fields.columns;
    SheetGeometry &g = result.geometry;
    g.cellWidth = fieldNumber(fields.width);
    g.cellHeight = fieldNumber(fields.height);
    g.columns = fieldNumber(result.columnsText);
    g.fileCount = fileCount;
    g.rows = rowsFor(fileCount, g.columns, variant);
    const std::int64_t width = std::int64_t(g.cellWidth) * g.columns;
    const std::int64_t height = std::max<std::int64_t>(1, g.rows) * g.cellHeight;
    const ErrorFacts tooLarge {
        .code = ErrorCode::SheetTooLarge, .width = width, .height = height
    };
    g.sheetWidth = sheetSide(width, "Breite", tooLarge);
    g.sheetHeight = sheetSide(height, "Höhe", tooLarge);
    return result;
}

QStringList sizeReportLines(const SheetGeometry &geometry, const QString &columnsText)
{
    return sizeReportLines(geometry, columnsText, geometry.sheetWidth, geometry.sheetHeight);
}

QStringList sizeReportLines(const SheetGeometry &geometry, const QString &columnsText,
    std::int64_t width, std::int64_t height)
{
    return {
        QStringLiteral("<FONT face=\"Courier New\">Width: <b>%1<br>").arg(width),
        QStringLiteral("Height: <b>%1<br>").arg(height),
        QStringLiteral("ImagesTotal: <b>%1<br>").arg(geometry.fileCount),
        QStringLiteral("Imgages/row: <b>") + columnsText + QStringLiteral("<br>"),
        QStringLiteral("rows: <b>%1<br>").arg(geometry.rows),
        QStringLiteral("</FONT>"),
    };
}

} // namespace quiltmap::sheet
