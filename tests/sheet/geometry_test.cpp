#include "common/error.h"
#include "sheet/geometry.h"

#include <gtest/gtest.h>

namespace quiltmap::sheet {
namespace {

GeometryResult compute(const char *columns, int files,
    GeometryVariant variant = GeometryVariant::SizeReport, const char *width = "48",
    const char *height = "48")
{
    return computeGeometry(
        { QString::fromUtf8(width), QString::fromUtf8(height), QString::fromUtf8(columns) }, files,
        variant);
}

QString errorOf(const char *columns, int files, GeometryVariant variant)
{
    try {
        compute(columns, files, variant);
    } catch (const Error &error) {
        return error.message();
    }
    return {};
}

struct RowsCase
{
    int files;
    int columns;
    std::int64_t rows;
    int sheetHeight;
};

void PrintTo(const RowsCase &c, std::ostream *os)
{
    *os << c.files << " files, " << c.columns << " columns";
}

class GeometryRowsTest : public testing::TestWithParam<RowsCase>
{
};

TEST_P(GeometryRowsTest, NeedsRowsForAllFilesAndAtLeastOneCellHeight)
{
    const RowsCase c = GetParam();
    const QByteArray columns = QByteArray::number(c.columns);
    for (const auto variant : { GeometryVariant::SizeReport, GeometryVariant::Composition }) {
        const SheetGeometry g = compute(columns.constData(), c.files, variant).geometry;
        EXPECT_EQ(g.rows, c.rows);
        EXPECT_EQ(g.sheetHeight, c.sheetHeight);
        EXPECT_EQ(g.sheetWidth, 48 * c.columns);
        EXPECT_EQ(g.fileCount, c.files);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, GeometryRowsTest,
    testing::Values(RowsCase { 30, 25, 2, 96 }, RowsCase { 25, 25, 1, 48 },
        RowsCase { 50, 25, 2, 96 }, RowsCase { 51, 25, 3, 144 }, RowsCase { 0, 25, 0, 48 },
        RowsCase { 3, 25, 1, 48 }, RowsCase { 1, 1, 1, 48 }, RowsCase { 7, 2, 4, 192 },
        // Negative columns follow the same steps: 3 mod -2 is 1, 3 div -2 is -1.
        RowsCase { 3, -2, 0, 48 }));

TEST(Geometry, ColumnsZeroBecomesDefaultBeforeComputing)
{
    const GeometryResult result = compute("0", 30, GeometryVariant::Composition);
    EXPECT_EQ(result.columnsText, QStringLiteral("25"));
    EXPECT_EQ(result.geometry.columns, 25);
    EXPECT_EQ(result.geometry.sheetWidth, 1200);
}

TEST(Geometry, OnlyTheSizeReportTrimsTheColumnsText)
{
    EXPECT_EQ(compute(" \t0 ", 3, GeometryVariant::SizeReport).columnsText, QStringLiteral("25"));
    EXPECT_EQ(errorOf(" 0 ", 3, GeometryVariant::Composition),
        QStringLiteral("Gleitkommadivision durch Null"));
}

TEST(Geometry, TextsThatMerelyConvertToZeroAreKept)
{
    for (const char *text : { "00", "", "-0", "abc" }) {
        EXPECT_EQ(
            errorOf(text, 5, GeometryVariant::SizeReport), QStringLiteral("Division durch Null"))
            << text;
        EXPECT_EQ(errorOf(text, 0, GeometryVariant::SizeReport),
            QStringLiteral("Ungültige Gleitkommaoperation"))
            << text;
        EXPECT_EQ(errorOf(text, 5, GeometryVariant::Composition),
            QStringLiteral("Gleitkommadivision durch Null"))
            << text;
        EXPECT_EQ(errorOf(text, 0, GeometryVariant::Composition),
            QStringLiteral("Ungültige Gleitkommaoperation"))
            << text;
    }
}

TEST(Geometry, ConvertsFieldsLeniently)
{
    const GeometryResult result = compute("7x", 8, GeometryVariant::SizeReport, "", "$10");
    EXPECT_EQ(result.columnsText, QStringLiteral("7x"));
    EXPECT_EQ(result.geometry.columns, 7);
    EXPECT_EQ(result.geometry.rows, 2);
    EXPECT_EQ(result.geometry.sheetWidth, 0);
    EXPECT_EQ(result.geometry.sheetHeight, 32);
}

TEST(Geometry, RejectsSheetsBeyondThe32BitRange)
{
    EXPECT_THROW(compute("99999", 1, GeometryVariant::Composition, "99999"), Error);
    EXPECT_THROW(compute("1", 99999, GeometryVariant::Composition, "1", "99999"), Error);
    EXPECT_THROW(compute("-99999", 1, GeometryVariant::Composition, "99999"), Error);
    EXPECT_NO_THROW(compute("1", 1, GeometryVariant::Composition, "2147483647"));
}

TEST(SizeReport, WritesTheSixLinesExactly)
{
    const GeometryResult result = compute("25", 30);
    const QStringList expected {
        QStringLiteral("<FONT face=\"Courier New\">Width: <b>1200<br>"),
        QStringLiteral("Height: <b>96<br>"),
        QStringLiteral("ImagesTotal: <b>30<br>"),
        QStringLiteral("Imgages/row: <b>25<br>"),
        QStringLiteral("rows: <b>2<br>"),
        QStringLiteral("</FONT>"),
    };
    EXPECT_EQ(sizeReportLines(result.geometry, result.columnsText), expected);
}

TEST(SizeReport, ShowsColumnsTextAndRowsWithoutMinimum)
{
    const GeometryResult result = compute("7x", 0, GeometryVariant::SizeReport, "-3");
    const QStringList lines = sizeReportLines(result.geometry, result.columnsText);
    EXPECT_EQ(lines[0], QStringLiteral("<FONT face=\"Courier New\">Width: <b>-21<br>"));
    EXPECT_EQ(lines[1], QStringLiteral("Height: <b>48<br>"));
    EXPECT_EQ(lines[3], QStringLiteral("Imgages/row: <b>7x<br>"));
    EXPECT_EQ(lines[4], QStringLiteral("rows: <b>0<br>"));
}

} // namespace
} // namespace quiltmap::sheet
