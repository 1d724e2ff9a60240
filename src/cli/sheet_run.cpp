#include "cli/sheet_run.h"

#include "cli/any_format_reader.h"
#include "cli/cli_options.h"
#include "cli/order_file.h"
#include "cli/progress_bar.h"
#include "common/error.h"
#include "sheet/composition.h"
#include "sheet/folder_listing.h"
#include "sheet/geometry.h"
#include "sheet/grid_data.h"
#include "sheet/output_file.h"
#include "sheet/prefetching_tile_reader.h"
#include "sheet/rows_ready.h"
#include "sheet/sheet_export.h"
#include "sheet/sheet_layout.h"
#include "sheet/tile_order.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QTextStream>
#include <algorithm>
#include <exception>
#include <optional>
#include <thread>

namespace quiltmap::cli {
namespace {

using namespace quiltmap::sheet;

// The cell size the window starts with, kept when no file gives one.
const QString defaultCellSide = QStringLiteral("48");

QString sizeText(std::int64_t width, std::int64_t height)
{
    return QStringLiteral("%1x%2").arg(width).arg(height);
}

QString backgroundText(const SheetBackground &background)
{
    if (background.transparent)
        return QStringLiteral("transparent");
    const auto [red, green, blue] = background.rgb;
    return QStringLiteral("#%1")
        .arg((red << 16) | (green << 8) | blue, 6, 16, QChar(u'0'))
        .toUpper();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    writeOutputFile(path, [&](QIODevice &out) { return out.write(bytes) == bytes.size(); });
}

// One run: list, order, measure, compose, write.
class SheetRun
{
public:
    SheetRun(const CliOptions &options, const RunPaths &paths, Console console)
        : m_options(options)
        , m_paths(paths)
        , m_console(console)
    {
        if (options.anyFormat)
            m_reader = &m_anyFormat;
    }

    int run();

private:
    struct DrawnSheet
    {
        // About tiles larger than their cell.
        QStringList warnings;
        // Files that could not be read, with their errors.
        QStringList skipped;
        QList<GridTile> tiles;
    };

    QString shownPath(const QString &name) const { return tilePath(m_options.folder, name); }
    QString path(const QString &name) const { return tilePath(m_paths.folder, name); }
    unsigned threads() const
    {
        return m_options.threads ? unsigned(*m_options.threads) : processorCount();
    }
    // Runs `step` on the file `name`; an error it throws leaves with the path in front, so that
    // the message names the file ("tiles/a.bmp: Die gerade gelesene Datei ...").
    template<typename Step> auto atFile(const QString &name, Step step) const;

    QStringList orderedNames(QStringList names) const;
    QSize firstTileSize(const QStringList &names) const;
    QSize largestTileSize(const QStringList &names) const;
    GeometryFields fieldsFor(const QStringList &names) const;
    void checkMaxSize(const SheetGeometry &geometry) const;
    // Draws every tile; given `rows`, tells it after each tile which rows are final.
    DrawnSheet drawAllTiles(Composition &composition, RowsReady *rows = nullptr) const;
    // Draws every tile while another thread compresses the finished rows into the image file;
    // that thread's failure is left in `imageFailure`.
    DrawnSheet drawWhileWritingImage(
        Composition &composition, std::exception_ptr &imageFailure) const;
    void writeGridData(const SheetGeometry &geometry, const QList<GridTile> &tiles) const;
    void report(const QStringList &lines, const char *prefix) const;

    const CliOptions &m_options;
    const RunPaths &m_paths;
    Console m_console;
    AnyFormatReader m_anyFormat;
    const TileReader *m_reader = &pngTileReader();
};

template<typename Step> auto SheetRun::atFile(const QString &name, Step step) const
{
    try {
        return step();
    } catch (const Error &error) {
        throw Error(shownPath(name) + QStringLiteral(": ") + error.message());
    }
}

QStringList SheetRun::orderedNames(QStringList names) const
{
    if (m_options.naturalOrder)
        sortNaturally(names);
    if (m_paths.orderFile.isEmpty())
        return names;
    const ListedOrder order
        = orderByList(names, readOrderFile(m_paths.orderFile, m_options.orderFile));
    if (!order.missing.isEmpty())
        throw Error(QStringLiteral("%1: not in %2: %3")
                        .arg(m_options.orderFile, m_options.folder, order.missing.join(u", ")));
    if (!order.appended.isEmpty() && !m_options.quiet)
        m_console.err << "quiltmap: appended, as " << m_options.orderFile
                      << " does not list them: " << order.appended.join(u", ") << Qt::endl;
    return order.names;
}

// The first file's size, read completely as the window does. With --keep-going the first file
// that can be read gives it; none gives nothing.
QSize SheetRun::firstTileSize(const QStringList &names) const
{
    for (const QString &name : names) {
        try {
            return atFile(name, [&] { return readTileSize(path(name), *m_reader); });
        } catch (const Error &) {
            if (!m_options.keepGoing)
                throw;
        }
    }
    return {};
}

// The largest width and the largest height among the files' headers. With --keep-going a file
// that cannot be read counts for nothing here; composition reports it.
QSize SheetRun::largestTileSize(const QStringList &names) const
{
    QSize largest(0, 0);
    for (const QString &name : names) {
        try {
            largest
                = largest.expandedTo(atFile(name, [&] { return m_reader->readSize(path(name)); }));
        } catch (const Error &) {
            if (!m_options.keepGoing)
                throw;
        }
    }
    return largest;
}

// The field texts as the window would hold them after its folder handling: the first file's
// size unless --cell gave one, and the columns text after the size report's default.
GeometryFields SheetRun::fieldsFor(const QStringList &names) const
{
    GeometryFields fields { m_options.cellWidth.value_or(defaultCellSide),
        m_options.cellHeight.value_or(defaultCellSide), m_options.columns };
    if (names.isEmpty())
        return fields;
    if (!m_options.cellWidth) {
        const QSize size = m_options.cellLargest ? largestTileSize(names) : firstTileSize(names);
        if (size.isValid()) {
            fields.width = QString::number(size.width());
            fields.height = QString::number(size.height());
        }
    }
    fields.columns
        = computeGeometry(fields, int(names.size()), GeometryVariant::SizeReport).columnsText;
    return fields;
}

// Refuses, before anything is drawn, a sheet larger than --max-size allows.
void SheetRun::checkMaxSize(const SheetGeometry &geometry) const
{
    if (!m_options.maxSize)
        return;
    const SheetLayout &layout = m_options.style.layout;
    const SheetSize size = sheetSize(geometry, layout);
    if (size.width <= *m_options.maxSize && size.height <= *m_options.maxSize)
        return;
    const std::optional<int> fits = largestColumnsWithin(geometry, layout, *m_options.maxSize);
    throw Error(QStringLiteral("the sheet would be %1 pixels, more than --max-size %2; %3")
                    .arg(sizeText(size.width, size.height))
                    .arg(*m_options.maxSize)
                    .arg(fits ? QStringLiteral("--columns %1 fits").arg(*fits)
                              : QStringLiteral("no --columns value fits")));
}

SheetRun::DrawnSheet SheetRun::drawAllTiles(Composition &composition, RowsReady *rows) const
{
    std::optional<ProgressBar> progress;
    if (m_console.errIsTerminal && !m_options.quiet)
        progress.emplace(m_console.err, composition.tileCount());
    DrawnSheet sheet;
    const SheetGeometry &geometry = composition.geometry();
    while (!composition.atEnd()) {
        const int index = composition.nextIndex();
        if (progress)
            progress->show(index);
        const QString &file = composition.names().at(index);
        Composition::DrawnTile drawn;
        try {
            drawn = atFile(file, [&] { return composition.drawNextTile(); });
        } catch (const Error &error) {
            if (!m_options.keepGoing)
                throw;
            sheet.skipped.append(error.message());
            drawn = composition.skipNextTile();
        }
        const bool clipped = drawn.exceedsCell(geometry);
        if (clipped)
            sheet.warnings.append(
                QStringLiteral("%1: %2 is larger than the %3 cell")
                    .arg(shownPath(file), sizeText(drawn.size.width(), drawn.size.height()),
                        sizeText(geometry.cellWidth, geometry.cellHeight)));
        if (m_options.dataJson || m_options.dataCsv)
            sheet.tiles.append({ drawn.index, trimNameLines({ drawn.name }).front(), file,
                drawn.cell.column, drawn.cell.row, drawn.cell.x, drawn.cell.y, drawn.size.width(),
                drawn.size.height(), clipped });
        // Tiles are drawn from their cell's top down, cells row by row: rows above the next
        // cell are final.
        if (rows && !composition.atEnd())
            rows->publish(int(std::clamp<std::int64_t>(
                cellPlace(geometry, m_options.style.layout, composition.nextIndex()).y, 0,
                composition.raster().height())));
    }
    if (rows)
        rows->publish(composition.raster().height());
    return sheet;
}

SheetRun::DrawnSheet SheetRun::drawWhileWritingImage(
    Composition &composition, std::exception_ptr &imageFailure) const
{
    RowsReady rows;
    std::jthread imageWriter([&] {
        try {
            exportSheetImage(composition.raster(), m_paths.outputBase, threads(), &rows);
        } catch (...) {
            imageFailure = std::current_exception();
        }
    });
    try {
        DrawnSheet sheet = drawAllTiles(composition, &rows);
        imageWriter.join();
        return sheet;
    } catch (...) {
        rows.abandon();
        throw;
    }
}

// Writes BASE.json and BASE.csv as asked, each replaced atomically.
void SheetRun::writeGridData(const SheetGeometry &geometry, const QList<GridTile> &tiles) const
{
    const SheetLayout &layout = m_options.style.layout;
    if (m_options.dataJson) {
        const SheetSize size = sheetSize(geometry, layout);
        writeBytes(changeExtension(m_paths.outputBase, QStringLiteral(".json")),
            gridJson({ size.width, size.height, geometry.cellWidth, geometry.cellHeight,
                         geometry.columns, geometry.rows, geometry.fileCount, layout.spacing,
                         layout.margin, backgroundText(m_options.style.background) },
                tiles));
    }
    if (m_options.dataCsv)
        writeBytes(changeExtension(m_paths.outputBase, QStringLiteral(".csv")), gridCsv(tiles));
}

void SheetRun::report(const QStringList &lines, const char *prefix) const
{
    for (const QString &line : lines)
        m_console.err << "quiltmap: " << prefix << line << Qt::endl;
}

int SheetRun::run()
{
    const QFileInfo folderInfo(m_paths.folder);
    if (!folderInfo.isDir())
        throw Error(m_options.folder
            + (folderInfo.exists() ? QStringLiteral(": not a folder")
                                   : QStringLiteral(": no such folder")));
    FolderListing listing;
    listing.applyFilePath(m_paths.folder);
    const QStringList names = orderedNames(listing.names());
    const SheetGeometry geometry
        = computeGeometry(fieldsFor(names), int(names.size()), GeometryVariant::Composition)
              .geometry;
    checkMaxSize(geometry);
    // Tiles are decoded ahead on the export's threads while earlier ones are drawn, the first
    // ones while the sheet is laid out.
    std::optional<PrefetchingTileReader> prefetching;
    if (threads() > 1)
        prefetching.emplace(*m_reader, tilePaths(m_paths.folder, names), threads());
    Composition composition(geometry, m_paths.folder, names, m_options.style);
    composition.setTileReader(prefetching ? *prefetching : *m_reader);
    if (composition.tileCount() == 0 && !m_options.quiet)
        m_console.err << "I need files to operate :-)" << Qt::endl;
    // With more than one thread the image is written while the tiles are drawn.
    const bool overlapped = threads() > 1 && !composition.raster().isEmpty();
    std::exception_ptr imageFailure;
    const DrawnSheet drawn
        = overlapped ? drawWhileWritingImage(composition, imageFailure) : drawAllTiles(composition);
    if (!m_options.quiet)
        report(drawn.warnings, "warning: ");
    report(drawn.skipped, "");
    if (!overlapped) {
        exportSheet(*composition.finish(), trimNameLines(composition.tileNames()),
            m_paths.outputBase, threads());
    } else if (imageFailure) {
        std::rethrow_exception(imageFailure);
    } else {
        exportNameList(trimNameLines(composition.tileNames()), m_paths.outputBase);
    }
    writeGridData(geometry, drawn.tiles);
    if (!m_options.quiet) {
        const SheetSize size = sheetSize(geometry, m_options.style.layout);
        m_console.out << "width " << size.width << ", height " << size.height << ", images "
                      << geometry.fileCount << ", per row " << geometry.columns << ", rows "
                      << geometry.rows << Qt::endl;
    }
    return drawn.skipped.isEmpty() ? ExitSuccess : ExitSkippedFiles;
}

} // namespace

RunPaths resolvePaths(const CliOptions &options)
{
    const QDir start = QDir::current();
    return { start.absoluteFilePath(options.folder), start.absoluteFilePath(options.output),
        options.orderFile.isEmpty() ? QString() : start.absoluteFilePath(options.orderFile) };
}

int runSheet(const CliOptions &options, const RunPaths &paths, Console console)
{
    return SheetRun(options, paths, console).run();
}

} // namespace quiltmap::cli
