#include "cli/sheet_run.h"

#include "cli/any_format_reader.h"
#include "cli/cli_messages.h"
#include "cli/cli_options.h"
#include "cli/order_file.h"
#include "cli/progress_bar.h"
#include "common/error.h"
#include "common/sheet_defaults.h"
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
#include <QTime>
#include <algorithm>
#include <exception>
#include <optional>
#include <thread>

namespace quiltmap::cli {
namespace {

using namespace quiltmap::sheet;

QString sizeText(std::int64_t width, std::int64_t height)
{
    return QStringLiteral("%1x%2").arg(width).arg(height);
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    writeOutputFile(path, [&](QIODevice &out) { return out.write(bytes) == bytes.size(); });
}

// One run: list, order, measure, compose, write.
class SheetRun
{
public:
    SheetRun(const CliOptions &options, const RunPaths &paths, Console console, RunHistory &history)
        : m_options(options)
        , m_paths(paths)
        , m_console(console)
        , m_history(history)
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
    // Runs `step` on the file `name`; an error it throws leaves naming the file as the user
    // typed its folder.
    template<typename Step> auto atFile(const QString &name, Step step) const;

    QStringList tileNames(QStringList names) const;
    QStringList orderedNames(QStringList names) const;
    QSize firstTileSize(const QStringList &names) const;
    QSize largestTileSize(const QStringList &names) const;
    SheetGeometry geometryFor(const QStringList &names) const;
    void checkMaxSize(const SheetGeometry &geometry) const;
    void warnOfEmptyColumns(const SheetGeometry &geometry) const;
    // The output with `extension` as the user named it.
    QString shownOutput(const QString &extension) const
    {
        return changeExtension(m_options.output, extension);
    }
    // Draws every tile; given `rows`, tells it after each tile which rows are final.
    DrawnSheet drawAllTiles(Composition &composition, RowsReady *rows = nullptr) const;
    // Draws every tile while another thread compresses the finished rows into the image file;
    // that thread's failure is left in `imageFailure`.
    DrawnSheet drawWhileWritingImage(
        Composition &composition, std::exception_ptr &imageFailure) const;
    void writeGridData(const SheetGeometry &geometry, const QList<GridTile> &tiles) const;
    void report(const QStringList &lines, const char *prefix) const;
    void reportSize(const SheetGeometry &geometry) const;

    const CliOptions &m_options;
    const RunPaths &m_paths;
    Console m_console;
    RunHistory &m_history;
    AnyFormatReader m_anyFormat;
    TileReader *m_reader = &pngTileReader();
};

template<typename Step> auto SheetRun::atFile(const QString &name, Step step) const
{
    try {
        return step();
    } catch (const Error &error) {
        ErrorFacts facts = error.facts();
        facts.path = shownPath(name);
        throw Error(error.message(), facts);
    }
}

// The folder's image files, without the outputs this run writes into it.
QStringList SheetRun::tileNames(QStringList names) const
{
    const QFileInfo sheetFile(changeExtension(m_paths.outputBase, QStringLiteral(".png")));
    const bool sameFolder = QFileInfo(sheetFile.absolutePath()).canonicalFilePath()
        == QFileInfo(m_paths.folder).canonicalFilePath();
    if (sameFolder && names.removeAll(sheetFile.fileName()) > 0 && !m_history.toldOwnOutputs) {
        m_history.toldOwnOutputs = true;
        if (!m_options.quiet)
            m_console.err << "quiltmap: " << m_options.folder
                          << ": left out as an output of this run: " << sheetFile.fileName()
                          << Qt::endl;
    }
    if (names.isEmpty())
        throw Error(m_options.folder + QStringLiteral(": no image files (")
            + FolderListing::defaultMask().replace(u';', QStringLiteral(", ")) + u')');
    return names;
}

QStringList SheetRun::orderedNames(QStringList names) const
{
    if (m_options.naturalOrder)
        sortNaturally(names);
    if (m_paths.orderFile.isEmpty())
        return names;
    const ListedFiles listed
        = filesForListedLines(names, readOrderFile(m_paths.orderFile, m_options.orderFile));
    if (!listed.ambiguous.isEmpty())
        throw Error(QStringLiteral("%1: \"%2\" names both %3 and %4; list the file name instead")
                        .arg(m_options.orderFile, listed.ambiguous[0], listed.ambiguous[1],
                            listed.ambiguous[2]));
    const ListedOrder order = orderByList(names, listed.files);
    if (!order.missing.isEmpty())
        throw Error(QStringLiteral("%1: not in %2: %3")
                        .arg(m_options.orderFile, m_options.folder, order.missing.join(u", ")));
    if (!order.appended.isEmpty() && !m_options.quiet)
        m_console.err << "quiltmap: " << m_options.orderFile
                      << ": not listed, so appended: " << order.appended.join(u", ") << Qt::endl;
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

// The sheet's geometry: the cell size of --cell, or else the first file's (the window's
// starting size when none can be read), and the columns asked for.
SheetGeometry SheetRun::geometryFor(const QStringList &names) const
{
    QSize cell = m_options.cell.value_or(QSize(defaultCellSide, defaultCellSide));
    if (!m_options.cell) {
        const QSize size = m_options.cellLargest ? largestTileSize(names) : firstTileSize(names);
        if (size.isValid())
            cell = size;
    }
    const auto geometryWith = [&](int columns) {
        return computeGeometry({ QString::number(cell.width()), QString::number(cell.height()),
                                   QString::number(columns) },
            int(names.size()), GeometryVariant::Composition)
            .geometry;
    };
    if (!m_options.columnsAuto)
        return geometryWith(m_options.columns.value_or(defaultTilesPerRow));
    const SheetGeometry single = geometryWith(1);
    const std::optional<int> columns
        = squarestColumns(single, m_options.style.layout, m_options.maxSize);
    if (columns)
        return geometryWith(*columns);
    return geometryWith(squarestColumns(single, m_options.style.layout).value_or(1));
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
    throw Error(QStringLiteral("%1: the sheet would be %2 pixels, more than --max-size %3; %4")
                    .arg(shownOutput(QStringLiteral(".png")), sizeText(size.width, size.height))
                    .arg(*m_options.maxSize)
                    .arg(fits ? QStringLiteral("pass -n auto or -n %1").arg(*fits)
                              : QStringLiteral("no -n fits, pass a larger --max-size")));
}

// Warns of columns that no tile reaches.
void SheetRun::warnOfEmptyColumns(const SheetGeometry &geometry) const
{
    if (m_options.quiet || !m_options.columns || *m_options.columns <= geometry.fileCount)
        return;
    m_console.err << "quiltmap: warning: -n " << *m_options.columns << " is more than the "
                  << geometry.fileCount << " tiles; the sheet has empty columns" << Qt::endl;
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
            sheet.skipped.append(englishMessage(error, shownPath(file)));
            drawn = composition.skipNextTile();
        }
        const bool clipped = drawn.exceedsCell(geometry);
        if (clipped)
            sheet.warnings.append(
                QStringLiteral("%1: %2 is larger than the %3 cell")
                    .arg(shownPath(file), sizeText(drawn.size.width(), drawn.size.height()),
                        sizeText(geometry.cellWidth, geometry.cellHeight)));
        if (m_options.data.json || m_options.data.csv)
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
    if (m_options.data.json) {
        const SheetSize size = sheetSize(geometry, layout);
        writeBytes(changeExtension(m_paths.outputBase, QStringLiteral(".json")),
            gridJson({ size.width, size.height, geometry.cellWidth, geometry.cellHeight,
                         geometry.columns, geometry.rows, geometry.fileCount, layout.spacing,
                         layout.margin, backgroundText(m_options.style.background) },
                tiles));
    }
    if (m_options.data.csv)
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
    const QStringList names = orderedNames(tileNames(listing.names()));
    const SheetGeometry geometry = geometryFor(names);
    checkMaxSize(geometry);
    warnOfEmptyColumns(geometry);
    // Tiles are decoded ahead on the export's threads while earlier ones are drawn, the first
    // ones while the sheet is laid out.
    std::optional<PrefetchingTileReader> prefetching;
    if (threads() > 1)
        prefetching.emplace(*m_reader, tilePaths(m_paths.folder, names), threads());
    Composition composition(geometry, m_paths.folder, names, m_options.style);
    composition.setTileReader(prefetching ? *prefetching : *m_reader);
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
    reportSize(geometry);
    return drawn.skipped.isEmpty() ? ExitSuccess : ExitSkippedFiles;
}

// The report line; a watch's later runs start it with the local time.
void SheetRun::reportSize(const SheetGeometry &geometry) const
{
    if (m_options.quiet)
        return;
    if (m_history.runs > 1)
        m_console.out << QTime::currentTime().toString(u"HH:mm:ss") << ' ';
    const SheetSize size = sheetSize(geometry, m_options.style.layout);
    m_console.out << "width " << size.width << ", height " << size.height << ", images "
                  << geometry.fileCount << ", per row " << geometry.columns << ", rows "
                  << geometry.rows << Qt::endl;
}

} // namespace

RunPaths resolvePaths(const CliOptions &options)
{
    const QDir start = QDir::current();
    return { start.absoluteFilePath(options.folder), start.absoluteFilePath(options.output),
        options.orderFile.isEmpty() ? QString() : start.absoluteFilePath(options.orderFile) };
}

int runSheet(const CliOptions &options, const RunPaths &paths, Console console, RunHistory &history)
{
    ++history.runs;
    try {
        return SheetRun(options, paths, console, history).run();
    } catch (const Error &error) {
        // Outputs are named as the user named them.
        const QString stem = changeExtension(paths.outputBase, QString());
        ErrorFacts facts = error.facts();
        if (!facts.path.startsWith(stem))
            throw;
        facts.path = changeExtension(options.output, QString()) + facts.path.mid(stem.size());
        throw Error(error.message(), facts);
    }
}

} // namespace quiltmap::cli
