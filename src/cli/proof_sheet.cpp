#include "cli/proof_sheet.h"

#include "common/error.h"
#include "sheet/raster.h"
#include "sheet/sheet_export.h"
#include "sheet/sheet_layout.h"
#include "sheet/tile_name.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <limits>

namespace quiltmap::cli {
namespace {

using namespace Qt::StringLiterals;

// Boxes are at least this wide, so that names stay legible beside small cells.
constexpr int leastBoxWidth = 96;
constexpr int fontPixels = 11;
constexpr int lineHeight = 14;
constexpr int labelHeight = 2 * lineHeight + 4;
constexpr int checker = 8;

void drawChecker(QPainter &painter, const QRect &area)
{
    painter.fillRect(area, QColor(0xFF, 0xFF, 0xFF));
    for (int y = area.top(); y <= area.bottom(); y += checker)
        for (int x = area.left() + ((y - area.top()) / checker % 2) * checker; x <= area.right();
             x += 2 * checker)
            painter.fillRect(
                QRect(x, y, checker, checker).intersected(area), QColor(0xCC, 0xCC, 0xCC));
}

// Qt's notes while it starts the offscreen platform (a missing runtime folder, say) are not
// the command line's to print.
void dropMessage(QtMsgType, const QMessageLogContext &, const QString &)
{ }

} // namespace

TextSupport::TextSupport()
{
    if (QCoreApplication::instance() != nullptr)
        return;
    const QtMessageHandler previous = qInstallMessageHandler(dropMessage);
    m_gui = std::make_unique<QGuiApplication>(m_argc, m_argv.data());
    qInstallMessageHandler(previous);
}

TextSupport::~TextSupport() = default;

ProofSheet::ProofSheet(const sheet::SheetGeometry &geometry, const sheet::SheetLayout &layout,
    const QStringList &names, int firstIndex, int sheetWidth, int sheetChannels,
    std::size_t heldBytes)
    : m_geometry(geometry)
    , m_layout(layout)
    , m_names(names)
    , m_firstIndex(firstIndex)
    , m_boxWidth(std::max(geometry.cellWidth, leastBoxWidth))
    , m_boxHeight(geometry.cellHeight + labelHeight)
{
    const std::int64_t width = std::int64_t(std::max(1, geometry.columns)) * (m_boxWidth + 1) + 1;
    const std::int64_t rows = std::max<std::int64_t>(1, geometry.rows);
    const std::int64_t height = rows * (m_boxHeight + 1) + 1;
    if (width > std::numeric_limits<int>::max() || height > std::numeric_limits<int>::max())
        throw Error(u"the proof sheet would be too large"_s);
    m_rows = int(rows);
    m_bands = std::make_unique<sheet::SheetBands>(int(width), int(height), 3,
        std::array<std::uint8_t, 4> { 0x80, 0x80, 0x80, 0xFF }, heldBytes);
    m_cellRows = sheet::Raster::filled(sheetWidth, geometry.cellHeight, sheetChannels, {});
    m_checker = std::make_unique<QImage>(m_boxWidth, geometry.cellHeight, QImage::Format_RGB888);
    {
        QPainter painter(m_checker.get());
        drawChecker(painter, m_checker->rect());
    }
    m_font = std::make_unique<QFont>(u"DejaVu Sans"_s);
    m_font->setPixelSize(fontPixels);
}

ProofSheet::~ProofSheet() = default;

void ProofSheet::takeFinalRows(const sheet::RasterBand &rows)
{
    for (int y = rows.top; y < rows.bottom && m_row < m_rows; ++y) {
        const std::int64_t top
            = sheet::cellPlace(m_geometry, m_layout, std::int64_t(m_row) * m_geometry.columns).y;
        if (y < top)
            continue;
        std::copy_n(rows.row(y), m_cellRows.bytesPerRow(), m_cellRows.row(int(y - top)));
        if (y == top + m_geometry.cellHeight - 1)
            drawBoxRow();
    }
}

// Boxes are drawn on a strip of the proof, the row of boxes and the grid line beneath it, which
// then goes to the bands as it is.
void ProofSheet::drawBoxRow()
{
    const int stripTop = 1 + m_row * (m_boxHeight + 1);
    sheet::Raster strip
        = sheet::Raster::filled(m_bands->width(), m_boxHeight + 1, 3, { 0x80, 0x80, 0x80, 0xFF });
    {
        QImage target(strip.row(0), strip.width(), strip.height(), qsizetype(strip.bytesPerRow()),
            QImage::Format_RGB888);
        const QImage pixels(m_cellRows.row(0), m_cellRows.width(), m_cellRows.height(),
            qsizetype(m_cellRows.bytesPerRow()),
            m_cellRows.hasAlpha() ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
        QPainter painter(&target);
        painter.setFont(*m_font);
        painter.setPen(Qt::black);
        const QFontMetrics metrics(*m_font);
        const int first = m_row * m_geometry.columns;
        const int end
            = int(std::min<qsizetype>(m_names.size(), qsizetype(first) + m_geometry.columns));
        for (int index = first; index < end; ++index) {
            const sheet::CellPlace cell = sheet::cellPlace(m_geometry, m_layout, index);
            const QPoint box(1 + int(cell.column) * (m_boxWidth + 1), 0);
            painter.drawImage(box, *m_checker);
            painter.drawImage(
                box, pixels, QRect(int(cell.x), 0, m_geometry.cellWidth, m_geometry.cellHeight));
            const QRect label(box.x(), box.y() + m_geometry.cellHeight, m_boxWidth, labelHeight);
            painter.fillRect(label, Qt::white);
            const QRect text = label.adjusted(3, 2, -3, 0);
            painter.drawText(
                text.topLeft() + QPoint(0, metrics.ascent()), u"#%1"_s.arg(m_firstIndex + index));
            painter.drawText(text.topLeft() + QPoint(0, lineHeight + metrics.ascent()),
                metrics.elidedText(sheet::trimNameLine(sheet::tileName(m_names[index])),
                    Qt::ElideRight, text.width()));
        }
    }
    const int stripBottom = stripTop + strip.height();
    for (int top = stripTop; top < stripBottom;) {
        const sheet::RasterBand band = m_bands->drawingRows(top, stripBottom);
        for (int y = band.top; y < band.bottom; ++y)
            std::copy_n(strip.row(y - stripTop), band.bytesPerRow(), band.row(y));
        top = band.bottom;
    }
    ++m_row;
    m_bands->publish(m_row == m_rows ? m_bands->height() : stripBottom);
}

} // namespace quiltmap::cli
