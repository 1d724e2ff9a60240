#include "cli/cli_run.h"

#include "cli/cli_options.h"
#include "cli/progress_bar.h"
#include "common/error.h"
#include "settings/version_text.h"
#include "sheet/composition.h"
#include "sheet/folder_listing.h"
#include "sheet/geometry.h"
#include "sheet/sheet_export.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>
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

// The field texts as the window would hold them after its folder handling: the first file's
// size unless --cell gave one, and the columns text after the size report's default.
GeometryFields fieldsFor(
    const CliOptions &options, const QString &folderText, const FolderListing &listing)
{
    GeometryFields fields { options.cellWidth.value_or(defaultCellSide),
        options.cellHeight.value_or(defaultCellSide), options.columns };
    if (listing.count() == 0)
        return fields;
    if (!options.cellWidth) {
        const QSize size = atPath(tilePath(options.folder, listing.name(0)),
            [&] { return readTileSize(tilePath(folderText, listing.name(0))); });
        fields.width = QString::number(size.width());
        fields.height = QString::number(size.height());
    }
    fields.columns
        = computeGeometry(fields, listing.count(), GeometryVariant::SizeReport).columnsText;
    return fields;
}

std::shared_ptr<const Raster> drawAllTiles(
    Composition &composition, const CliOptions &options, Console console)
{
    std::optional<ProgressBar> progress;
    if (console.errIsTerminal && !options.quiet)
        progress.emplace(console.err, composition.tileCount());
    while (!composition.atEnd()) {
        const int index = composition.nextIndex();
        if (progress)
            progress->show(index);
        atPath(tilePath(options.folder, composition.names().at(index)),
            [&] { composition.drawNextTile(); });
    }
    return composition.finish();
}

int compose(const CliOptions &options, Console console)
{
    // Listing moves the process into the folder; relative texts are meant from where we started.
    const QDir start = QDir::current();
    const QString folderText = start.absoluteFilePath(options.folder);
    const QString outputBase = start.absoluteFilePath(options.output);
    const QFileInfo folderInfo(folderText);
    if (!folderInfo.isDir())
        throw Error(options.folder
            + (folderInfo.exists() ? QStringLiteral(": not a folder")
                                   : QStringLiteral(": no such folder")));
    FolderListing listing;
    listing.applyFilePath(folderText);
    const GeometryFields fields = fieldsFor(options, folderText, listing);
    const SheetGeometry geometry
        = computeGeometry(fields, listing.count(), GeometryVariant::Composition).geometry;
    Composition composition(geometry, folderText, listing.names());
    if (composition.tileCount() == 0 && !options.quiet)
        console.err << "I need files to operate :-)" << Qt::endl;
    const std::shared_ptr<const Raster> sheet = drawAllTiles(composition, options, console);
    exportSheet(*sheet, trimNameLines(composition.tileNames()), outputBase);
    if (!options.quiet)
        console.out << "width " << geometry.sheetWidth << ", height " << geometry.sheetHeight
                    << ", images " << geometry.fileCount << ", per row " << geometry.columns
                    << ", rows " << geometry.rows << Qt::endl;
    return ExitSuccess;
}

} // namespace

int runCli(const QStringList &arguments, Console console)
{
    const ParsedCommandLine parsed = parseCommandLine(arguments);
    if (!parsed.usageError.isEmpty()) {
        console.err << "quiltmap: " << parsed.usageError << "\n"
                    << usageText().section(u'\n', 0, 0) << "\nTry 'quiltmap --help' for more."
                    << Qt::endl;
        return ExitUsage;
    }
    switch (parsed.options.action) {
    case CliOptions::Action::ShowHelp:
        console.out << usageText() << Qt::flush;
        return ExitSuccess;
    case CliOptions::Action::ShowVersion:
        console.out << "quiltmap " << settings::GetVersionText() << Qt::endl;
        return ExitSuccess;
    case CliOptions::Action::Compose:
        break;
    }
    try {
        return compose(parsed.options, console);
    } catch (const Error &error) {
        console.err << "quiltmap: " << error.message() << Qt::endl;
    } catch (const std::exception &error) {
        console.err << "quiltmap: " << error.what() << Qt::endl;
    }
    return ExitFailure;
}

} // namespace quiltmap::cli
