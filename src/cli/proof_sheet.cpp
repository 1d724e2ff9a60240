#include "cli/proof_sheet.h"

#include "common/error.h"
#include "sheet/raster.h"
#include "sheet/sheet_layout.h"

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

sheet::Raster proofSheet(const sheet::Raster &sheet, const sheet::SheetGeometry &geometry,
    const sheet::SheetLayout &layout, const QStringList &names, int firstIndex)
{
    const int boxWidth = std::max(geometry.cellWidth, leastBoxWidth);
    const int boxHeight = geometry.cellHeight + labelHeight;
    const std::int64_t width = std::int64_t(std::max(1, geometry.columns)) * (boxWidth + 1) + 1;
    const std::int64_t height = std::max<std::int64_t>(1, geometry.rows) * (boxHeight + 1) + 1;
    if (width > std::numeric_limits<int>::max() || height > std::numeric_limits<int>::max())
        throw Error(u"the proof sheet would be too large"_s);
    sheet::Raster proof
        = sheet::Raster::filled(int(width), int(height), 3, { 0x80, 0x80, 0x80, 0xFF });
    // Both rasters as they lie in memory, without a copy.
    QImage target(proof.row(0), proof.width(), proof.height(), qsizetype(proof.bytesPerRow()),
        QImage::Format_RGB888);
    const QImage pixels(sheet.row(0), sheet.width(), sheet.height(), qsizetype(sheet.bytesPerRow()),
        sheet.hasAlpha() ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    QImage checker(boxWidth, geometry.cellHeight, QImage::Format_RGB888);
    {
        QPainter painter(&checker);
        drawChecker(painter, checker.rect());
    }
    QPainter painter(&target);
    QFont font(u"DejaVu Sans"_s);
    font.setPixelSize(fontPixels);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetrics metrics(font);
    for (int index = 0; index < names.size(); ++index) {
        const sheet::CellPlace cell = sheet::cellPlace(geometry, layout, index);
        const QPoint box(
            1 + int(cell.column) * (boxWidth + 1), 1 + int(cell.row) * (boxHeight + 1));
        painter.drawImage(box, checker);
        painter.drawImage(
            box, pixels, QRect(int(cell.x), int(cell.y), geometry.cellWidth, geometry.cellHeight));
        const QRect label(box.x(), box.y() + geometry.cellHeight, boxWidth, labelHeight);
        painter.fillRect(label, Qt::white);
        const QRect text = label.adjusted(3, 2, -3, 0);
        painter.drawText(
            text.topLeft() + QPoint(0, metrics.ascent()), u"#%1"_s.arg(firstIndex + index));
        painter.drawText(text.topLeft() + QPoint(0, lineHeight + metrics.ascent()),
            metrics.elidedText(names[index], Qt::ElideRight, text.width()));
    }
    return proof;
}

} // namespace quiltmap::cli
