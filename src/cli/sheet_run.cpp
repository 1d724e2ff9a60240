#include "cli/sheet_run.h"

#include "cli/cli_options.h"
#include "cli/order_file.h"
#include "cli/progress_bar.h"
#include "common/error.h"
#include "sheet/composition.h"
#include "sheet/folder_listing.h"
#include "sheet/geometry.h"
#include "sheet/grid_data.h"
#include "sheet/output_file.h"
#include "sheet/png_reader.h"
#include "sheet/sheet_export.h"
#include "sheet/tile_order.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QTextStream>
#include <algorithm>
#include <optional>

namespace quiltmap::cli {
namespace {

using namespace quiltmap::sheet;

// The cell size the window starts with, kept when no file gives one.
const QString defaultCellSide = QStringLiteral("48");

// Runs `step` on the file at `path`; an error it throws leaves with the path in front, so that
// the message names the file ("tiles/a.bmp: Die gerade gelesene Datei ...").
template<typename Step> auto atPath(const QString &path, Step step)
{
    try {
        return step();
    } catch (const Error &error) {
        throw Error(path + QStringLiteral(": ") + error.message());
    }
}

QString sizeText(std::int64_t width, std::int64_t height)
{
    return QStringLiteral("%1x%2").arg(width).arg(height);
}

// The folder as the user named it and as the process reaches it.
struct Folder
{
    QString shown;
    QString absolute;

    QString shownPath(const QString &name) const { return tilePath(shown, name); }
    QString path(const QString &name) const { return tilePath(absolute, name); }
};

// The largest width and the largest height among the files' headers.
QSize largestTileSize(const Folder &folder, const QStringList &names)
{
    QSize largest(0, 0);
    for (const QString &name : names)
        largest = largest.expandedTo(
            atPath(folder.shownPath(name), [&] { return readPngFileSize(folder.path(name)); }));
    return largest;
}

// The field texts as the window would hold them after its folder handling: the first file's
// size unless --cell gave one, and the columns text after the size report's default.
GeometryFields fieldsFor(const CliOptions &options, const Folder &folder, const QStringList &names)
{
    GeometryFields fields { options.cellWidth.value_or(defaultCellSide),
        options.cellHeight.value_or(defaultCellSide), options.columns };
    if (names.isEmpty())
        return fields;
    if (!options.cellWidth) {
        const QSize size = options.cellLargest
            ? largestTileSize(folder, names)
            : atPath(folder.shownPath(names.front()),
                [&] { return readTileSize(folder.path(names.front())); });
        fields.width = QString::number(size.width());
        fields.height = QString::number(size.height());
    }
    fields.columns
        = computeGeometry(fields, int(names.size()), GeometryVariant::SizeReport).columnsText;
    return fields;
}

// The listed names in the order the options ask for.
QStringList orderedNames(
    const CliOptions &options, const QString &orderFile, QStringList names, Console console)
{
    if (options.naturalOrder)
        sortNaturally(names);
    if (orderFile.isEmpty())
        return names;
    const ListedOrder order = orderByList(names, readOrderFile(orderFile, options.orderFile));
    if (!order.missing.isEmpty())
        throw Error(QStringLiteral("%1: not in %2: %3")
                        .arg(options.orderFile, options.folder, order.missing.join(u", ")));
    if (!order.appended.isEmpty() && !options.quiet)
        console.err << "quiltmap: appended, as " << options.orderFile
                    << " does not list them: " << order.appended.join(u", ") << Qt::endl;
    return order.names;
}

// Refuses, before anything is drawn, a sheet larger than --max-size allows.
void checkMaxSize(const CliOptions &options, const SheetGeometry &geometry)
{
    if (!options.maxSize)
        return;
    const SheetSize size = sheetSize(geometry, options.style.layout);
    if (size.width <= *options.maxSize && size.height <= *options.maxSize)
        return;
    const std::optional<int> fits
        = largestColumnsWithin(geometry, options.style.layout, *options.maxSize);
    throw Error(QStringLiteral("the sheet would be %1 pixels, more than --max-size %2; %3")
                    .arg(sizeText(size.width, size.height))
                    .arg(*options.maxSize)
                    .arg(fits ? QStringLiteral("--columns %1 fits").arg(*fits)
                              : QStringLiteral("no --columns value fits")));
}

struct DrawnSheet
{
    // About tiles larger than their cell.
    QStringList warnings;
    QList<GridTile> tiles;
};

GridTile gridTile(const Composition::DrawnTile &drawn, const QString &file, bool clipped)
{
    return { drawn.index, trimNameLines({ drawn.name }).front(), file, drawn.cell.column,
        drawn.cell.row, drawn.cell.x, drawn.cell.y, drawn.size.width(), drawn.size.height(),
        clipped };
}

DrawnSheet drawAllTiles(
    Composition &composition, const CliOptions &options, const Folder &folder, Console console)
{
    std::optional<ProgressBar> progress;
    if (console.errIsTerminal && !options.quiet)
        progress.emplace(console.err, composition.tileCount());
    DrawnSheet sheet;
    const SheetGeometry &geometry = composition.geometry();
    while (!composition.atEnd()) {
        const int index = composition.nextIndex();
        if (progress)
            progress->show(index);
        const QString &file = composition.names().at(index);
        const QString shown = folder.shownPath(file);
        const Composition::DrawnTile drawn
            = atPath(shown, [&] { return composition.drawNextTile(); });
        const bool clipped = drawn.exceedsCell(geometry);
        if (clipped)
            sheet.warnings.append(QStringLiteral("%1: %2 is larger than the %3 cell")
                                      .arg(shown, sizeText(drawn.size.width(), drawn.size.height()),
                                          sizeText(geometry.cellWidth, geometry.cellHeight)));
        if (options.dataJson || options.dataCsv)
            sheet.tiles.append(gridTile(drawn, file, clipped));
    }
    return sheet;
}

QString backgroundText(const SheetBackground &background)
{
    if (background.transparent)
        return QStringLiteral("transparent");
    const auto [red, green, blue] = background.rgb;
    return QStringLiteral("#%1").arg((red << 16) | (green << 8) | blue, 6, 16, QChar(u'0')).toUpper();
}

// Writes BASE.json and BASE.csv as asked, each replaced atomically.
void writeGridData(const CliOptions &options, const QString &outputBase,
    const SheetGeometry &geometry, const QList<GridTile> &tiles)
{
    if (options.dataJson) {
        const SheetSize size = sheetSize(geometry, options.style.layout);
        const QByteArray json = gridJson(
            { size.width, size.height, geometry.cellWidth, geometry.cellHeight, geometry.columns,
                geometry.rows, geometry.fileCount, options.style.layout.spacing,
                options.style.layout.margin, backgroundText(options.style.background) },
            tiles);
        writeOutputFile(changeExtension(outputBase, QStringLiteral(".json")),
            [&](QIODevice &out) { return out.write(json) == json.size(); });
    }
    if (options.dataCsv) {
        const QByteArray csv = gridCsv(tiles);
        writeOutputFile(changeExtension(outputBase, QStringLiteral(".csv")),
            [&](QIODevice &out) { return out.write(csv) == csv.size(); });
    }
}

} // namespace

int runSheet(const CliOptions &options, Console console)
{
    // Listing moves the process into the folder; relative texts are meant from where we started.
    const QDir start = QDir::current();
    const Folder folder { options.folder, start.absoluteFilePath(options.folder) };
    const QString outputBase = start.absoluteFilePath(options.output);
    const QString orderFile
        = options.orderFile.isEmpty() ? QString() : start.absoluteFilePath(options.orderFile);
    const QFileInfo folderInfo(folder.absolute);
    if (!folderInfo.isDir())
        throw Error(options.folder
            + (folderInfo.exists() ? QStringLiteral(": not a folder")
                                   : QStringLiteral(": no such folder")));
    FolderListing listing;
    listing.applyFilePath(folder.absolute);
    const QStringList names = orderedNames(options, orderFile, listing.names(), console);
    const GeometryFields fields = fieldsFor(options, folder, names);
    const SheetGeometry geometry
        = computeGeometry(fields, int(names.size()), GeometryVariant::Composition).geometry;
    checkMaxSize(options, geometry);
    Composition composition(geometry, folder.absolute, names, options.style);
    if (composition.tileCount() == 0 && !options.quiet)
        console.err << "I need files to operate :-)" << Qt::endl;
    const DrawnSheet drawn = drawAllTiles(composition, options, folder, console);
    if (!options.quiet)
        for (const QString &warning : drawn.warnings)
            console.err << "quiltmap: warning: " << warning << Qt::endl;
    exportSheet(*composition.finish(), trimNameLines(composition.tileNames()), outputBase);
    writeGridData(options, outputBase, geometry, drawn.tiles);
    if (!options.quiet) {
        const SheetSize size = sheetSize(geometry, options.style.layout);
        console.out << "width " << size.width << ", height " << size.height << ", images "
                    << geometry.fileCount << ", per row " << geometry.columns << ", rows "
                    << geometry.rows << Qt::endl;
    }
    return ExitSuccess;
}

} // namespace quiltmap::cli
