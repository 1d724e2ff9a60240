#include "cli/sheet_run.h"

#include "cli/cli_messages.h"
#include "cli/cli_options.h"
#include "cli/duplicate_tiles.h"
#include "cli/gui_parts.h"
#include "cli/order_file.h"
#include "cli/progress_bar.h"
#include "common/error.h"
#include "common/sheet_defaults.h"
#include "settings/version_text.h"
#include "sheet/composition.h"
#include "sheet/data_files.h"
#include "sheet/folder_listing.h"
#include "sheet/geometry.h"
#include "sheet/output_file.h"
#include "sheet/png_writer.h"
#include "sheet/prefetching_tile_reader.h"
#include "sheet/sheet_export.h"
#include "sheet/sheet_layout.h"
#include "sheet/tile_order.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <QTime>
#include <algorithm>
#include <exception>
#include <optional>
#include <thread>

namespace quiltmap::cli {
namespace {

using namespace Qt::StringLiterals;

using namespace quiltmap::sheet;

QString sizeText(std::int64_t width, std::int64_t height)
{
    return QStringLiteral("%1x%2").arg(width).arg(height);
}

// Rows the drawing may hold ahead of the image's writer: room for a few of the stretches its
// threads read at a time and for two and a half rows of cells, so that drawing and compressing
// rarely wait for each other, and not much more: rows drawn into fresh memory cost a page fault
// per 4 KiB.
std::size_t heldBandBytes(unsigned threads, std::int64_t width, int channels, int cellHeight)
{
    constexpr std::size_t mebibyte = std::size_t(1) << 20;
    const std::size_t cellRow = std::size_t(width) * std::size_t(channels)
        * std::size_t(std::clamp(cellHeight, 1, 1 << 20));
    return std::max((4 + 2 * std::size_t(threads)) * mebibyte, 5 * cellRow / 2);
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
            m_reader = &guiParts().anyFormatReader();
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
        // The tiles' lines of the name list, encoded.
        QByteArray nameText;
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
    // The error of the file `name`, naming the file as the user typed its folder.
    Error shownAt(const QString &name, const Error &error) const;

    QStringList tileNames(QStringList names) const;
    QStringList orderedNames(QStringList names) const;
    // The first file's tile, when the cell is its size, is left in `firstTile`.
    SheetGeometry geometryFor(const QStringList &names, std::optional<ReadTile> &firstTile) const;
    // The rows of each page when --pages splits the sheet, 0 when it stays whole. Refuses,
    // before anything is drawn, a sheet or page larger than --max-size allows.
    std::int64_t rowsPerPage(const SheetGeometry &geometry) const;
    [[noreturn]] void refuseSize(const SheetGeometry &geometry) const;
    // The largest side --max-size leaves the laid-out sheet: with --pot the largest power of
    // two within it, as the padding must fit too.
    std::int64_t sideLimit() const;
    void warnOfEmptyColumns(const SheetGeometry &geometry) const;
    // The output with `extension` as the user named it.
    QString shownOutput(const QString &extension) const
    {
        return changeExtension(m_options.output, extension);
    }
    // Composes one image, the sheet or a page, of the tiles `names` starting at cell `first` of
    // the sheet, and writes it to STEM.png (and STEM.proof.png). `page` is 0 for the sheet.
    // `firstTile` is the first file's tile when it was read already.
    SheetImage composeImage(const QStringList &names, const SheetGeometry &geometry,
        const QString &stem, int page, int first, DuplicateTiles *duplicates,
        std::optional<ReadTile> firstTile);
    DrawnSheet drawAllTiles(Composition &composition) const;
    // Draws every tile while another thread compresses the final rows into the image file, and
    // with a `proof` one more its rows into `proofFile`; a failure of those threads is left in
    // `imageFailure`.
    DrawnSheet drawWhileWritingImage(Composition &composition, const QString &stem,
        ProofRows *proof, QByteArray &proofFile, std::exception_ptr &imageFailure) const;
    // The size of the image: the sheet's, or with --pot each side raised to a power of two.
    SheetSize imageSize(const SheetGeometry &geometry) const;
    void report(const QStringList &lines, const char *prefix) const;
    void reportSize(const SheetImage &image, int page) const;
    void reportDuplicates(const QList<std::pair<QString, QString>> &duplicates) const;

    const CliOptions &m_options;
    const RunPaths &m_paths;
    Console m_console;
    RunHistory &m_history;
    TileReader *m_reader = &pngTileReader();
    // Whether --keep-going passed over a file that could not be read.
    bool m_skipped = false;
    // The name list of the images composed so far, encoded line by line: a line takes a few
    // bytes there, where a string would take tens.
    QByteArray m_nameText;
};

Error SheetRun::shownAt(const QString &name, const Error &error) const
{
    ErrorFacts facts = error.facts();
    facts.path = shownPath(name);
    return Error(error.message(), facts);
}

template<typename Step> auto SheetRun::atFile(const QString &name, Step step) const
{
    try {
        return step();
    } catch (const Error &error) {
        throw shownAt(name, error);
    }
}

// The folder's image files, without the images this run writes into it.
QStringList SheetRun::tileNames(QStringList names) const
{
    const QFileInfo stem(changeExtension(m_paths.outputBase, QString()));
    QStringList ownImages;
    if (QFileInfo(stem.absolutePath()).canonicalFilePath()
        == QFileInfo(m_paths.folder).canonicalFilePath()) {
        // BASE.png, BASE.proof.png, and with --pages BASE-1.png, BASE-1.proof.png and so on.
        const QString pages = m_options.pages ? u"(-[0-9]+)?"_s : QString();
        const QString proof = m_options.proof ? u"(\\.proof)?"_s : QString();
        const QRegularExpression own(QRegularExpression::anchoredPattern(
            QRegularExpression::escape(stem.fileName()) + pages + proof + u"\\.png"_s));
        for (const QString &name : std::as_const(names))
            if (own.match(name).hasMatch())
                ownImages.append(name);
        for (const QString &name : std::as_const(ownImages))
            names.removeAll(name);
    }
    if (!ownImages.isEmpty() && !m_history.toldOwnOutputs) {
        m_history.toldOwnOutputs = true;
        if (!m_options.quiet)
            m_console.err << "quiltmap: " << m_options.folder
                          << ": left out as an output of this run: " << ownImages.join(u", ")
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

// The sheet's geometry: the cell size of --cell, or else the first file's (the window's
// starting size when none can be read), and the columns asked for.
SheetGeometry SheetRun::geometryFor(
    const QStringList &names, std::optional<ReadTile> &firstTile) const
{
    QSize cell = m_options.cell.value_or(QSize(defaultCellSide, defaultCellSide));
    if (!m_options.cell) {
        // The first file's size, read completely as the window does, or the largest header; with
        // --keep-going a file that cannot be read counts for nothing here, composition reports it.
        const std::optional<QSize> size = cellOfTiles(m_paths.folder, names, *m_reader,
            { m_options.cellLargest, m_options.keepGoing,
                [this](const QString &name, const Error &error) { return shownAt(name, error); },
                nullptr, &firstTile });
        if (size)
            cell = *size;
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
    const std::optional<int> columns = m_options.maxSize
        ? squarestColumns(single, m_options.style.layout, sideLimit())
        : squarestColumns(single, m_options.style.layout);
    if (columns)
        return geometryWith(*columns);
    // Pages take the rows that do not fit: the widest sheet that fits splits into the fewest.
    if (m_options.pages) {
        const std::optional<int> widest
            = widestColumnsWithin(single, m_options.style.layout, sideLimit());
        if (widest)
            return geometryWith(*widest);
    }
    return geometryWith(squarestColumns(single, m_options.style.layout).value_or(1));
}

std::int64_t SheetRun::sideLimit() const
{
    const std::int64_t limit = *m_options.maxSize;
    return m_options.style.powerOfTwo ? powerOfTwoSize({ 1, limit / 2 + 1 }).height : limit;
}

std::int64_t SheetRun::rowsPerPage(const SheetGeometry &geometry) const
{
    if (!m_options.maxSize)
        return 0;
    const SheetLayout &layout = m_options.style.layout;
    const std::int64_t limit = sideLimit();
    const std::int64_t margins = 2 * std::int64_t(layout.margin);
    if (margins + geometry.cellWidth > limit || margins + geometry.cellHeight > limit)
        throw Error(QStringLiteral("%1: one %2 cell with its margins is more than --max-size %3; "
                                   "pass a larger --max-size")
                        .arg(shownOutput(QStringLiteral(".png")),
                            sizeText(geometry.cellWidth, geometry.cellHeight))
                        .arg(*m_options.maxSize));
    const SheetSize size = sheetSize(geometry, layout);
    if (size.width <= limit && size.height <= limit)
        return 0;
    if (!m_options.pages || size.width > limit)
        refuseSize(geometry);
    // Margin, rows with spacing between them, margin.
    return (limit - margins + layout.spacing)
        / (std::int64_t(geometry.cellHeight) + layout.spacing);
}

[[noreturn]] void SheetRun::refuseSize(const SheetGeometry &geometry) const
{
    // Pages take any number of rows, so only the width limits the columns.
    const std::optional<int> fits = m_options.pages
        ? widestColumnsWithin(geometry, m_options.style.layout, sideLimit())
        : largestColumnsWithin(geometry, m_options.style.layout, sideLimit());
    const SheetSize size = imageSize(geometry);
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

SheetRun::DrawnSheet SheetRun::drawAllTiles(Composition &composition) const
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
        const QString line = trimNameLine(drawn.name);
        appendNameLine(sheet.nameText, line);
        if (m_options.data.any())
            sheet.tiles.append({ drawn.index, line, file, drawn.cell.column, drawn.cell.row,
                drawn.cell.x, drawn.cell.y, drawn.size.width(), drawn.size.height(), clipped });
    }
    return sheet;
}

SheetRun::DrawnSheet SheetRun::drawWhileWritingImage(Composition &composition, const QString &stem,
    ProofRows *proof, QByteArray &proofFile, std::exception_ptr &imageFailure) const
{
    SheetBands &bands = composition.bands();
    // The proof goes to its file only once the sheet is written, as a proof of no sheet is none.
    std::exception_ptr proofFailure;
    std::jthread proofWriter;
    if (proof)
        proofWriter = std::jthread([&] {
            try {
                QBuffer buffer(&proofFile);
                buffer.open(QIODevice::WriteOnly);
                writeSheetPng(proof->bands(), buffer, threads());
            } catch (...) {
                proofFailure = std::current_exception();
            }
            proof->bands().stopReading();
        });
    std::jthread imageWriter([&] {
        try {
            exportSheetImage(bands, stem + u".png"_s, threads());
        } catch (...) {
            imageFailure = std::current_exception();
        }
        bands.stopReading();
    });
    try {
        DrawnSheet sheet = drawAllTiles(composition);
        imageWriter.join();
        if (proof)
            proofWriter.join();
        if (!imageFailure)
            imageFailure = proofFailure;
        return sheet;
    } catch (...) {
        bands.abandon();
        if (proof)
            proof->bands().abandon();
        throw;
    }
}

SheetSize SheetRun::imageSize(const SheetGeometry &geometry) const
{
    const SheetSize size = sheetSize(geometry, m_options.style.layout);
    return m_options.style.powerOfTwo ? powerOfTwoSize(size) : size;
}

void SheetRun::report(const QStringList &lines, const char *prefix) const
{
    for (const QString &line : lines)
        m_console.err << "quiltmap: " << prefix << line << Qt::endl;
}

SheetImage SheetRun::composeImage(const QStringList &names, const SheetGeometry &geometry,
    const QString &stem, int page, int first, DuplicateTiles *duplicates,
    std::optional<ReadTile> firstTile)
{
    // Tiles are decoded ahead on the export's threads while earlier ones are drawn, the first
    // ones while the sheet is laid out.
    std::optional<PrefetchingTileReader> prefetching;
    if (threads() > 1)
        prefetching.emplace(*m_reader, m_paths.folder, names, threads(), std::move(firstTile));
    TileReader &reader = prefetching ? *prefetching : *m_reader;
    if (duplicates)
        duplicates->readThrough(reader);
    // The proof is drawn from the sheet's rows as they become final. One too large is said
    // once the sheet is written.
    const SheetSize size = imageSize(geometry);
    const int channels = m_options.style.background.transparent ? 4 : 3;
    const std::size_t heldBytes
        = heldBandBytes(threads(), size.width, channels, geometry.cellHeight);
    std::unique_ptr<ProofRows> proof;
    std::exception_ptr proofRefused;
    if (m_options.proof) {
        try {
            proof = guiParts().proofSheet(geometry, m_options.style.layout, names, first,
                int(size.width), channels, heldBytes);
        } catch (const Error &) {
            proofRefused = std::current_exception();
        }
    }
    Composition::Banded banded { heldBytes };
    if (proof)
        banded.beforeFinal = [&](const RasterBand &rows) { proof->takeFinalRows(rows); };
    Composition composition(geometry, m_paths.folder, names, m_options.style, banded);
    composition.setTileReader(duplicates ? *duplicates : reader);
    std::exception_ptr imageFailure;
    QByteArray proofFile;
    DrawnSheet drawn
        = drawWhileWritingImage(composition, stem, proof.get(), proofFile, imageFailure);
    if (!m_options.quiet)
        report(drawn.warnings, "warning: ");
    report(drawn.skipped, "");
    m_skipped = m_skipped || !drawn.skipped.isEmpty();
    if (imageFailure)
        std::rethrow_exception(imageFailure);
    if (proofRefused)
        std::rethrow_exception(proofRefused);
    if (proof)
        writeOutputFile(stem + u".proof.png"_s,
            [&](QIODevice &out) { return out.write(proofFile) == proofFile.size(); });
    for (GridTile &tile : drawn.tiles) {
        tile.index += first;
        tile.page = page;
    }
    m_nameText += drawn.nameText;
    return { geometry, size, stem, drawn.tiles };
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
    std::optional<ReadTile> firstTile;
    const SheetGeometry geometry = geometryFor(names, firstTile);
    const std::int64_t pageRows = rowsPerPage(geometry);
    warnOfEmptyColumns(geometry);
    // Duplicates are only reported, so a quiet run does not look for them.
    std::optional<DuplicateTiles> duplicates;
    if (!m_options.quiet)
        duplicates.emplace(m_paths.folder);
    std::shared_ptr<const void> text;
    if (m_options.proof)
        text = guiParts().textSupport();
    const QString stem = changeExtension(m_paths.outputBase, QString());
    QList<SheetImage> images;
    if (pageRows == 0) {
        images.append(composeImage(names, geometry, stem, 0, 0, duplicates ? &*duplicates : nullptr,
            std::move(firstTile)));
    } else {
        // Pages of whole rows, each a sheet of its own with the same grid.
        const int perPage = int(std::min<std::int64_t>(pageRows * geometry.columns, names.size()));
        for (int first = 0; first < names.size(); first += perPage) {
            const QStringList pageNames = names.mid(first, perPage);
            const SheetGeometry pageGeometry = computeGeometry(
                { QString::number(geometry.cellWidth), QString::number(geometry.cellHeight),
                    QString::number(geometry.columns) },
                int(pageNames.size()), GeometryVariant::Composition)
                                                   .geometry;
            const int page = int(images.size()) + 1;
            images.append(composeImage(pageNames, pageGeometry, stem + u'-' + QString::number(page),
                page, first, duplicates ? &*duplicates : nullptr, std::exchange(firstTile, {})));
        }
    }
    exportNameText(m_nameText, m_paths.outputBase);
    writeDataFiles(m_options.data, m_options.style, stem, images, settings::GetVersionText());
    if (duplicates)
        reportDuplicates(duplicates->duplicates());
    for (const SheetImage &image : images)
        reportSize(image, pageRows == 0 ? 0 : int(&image - images.data()) + 1);
    return m_skipped ? ExitSkippedFiles : ExitSuccess;
}

void SheetRun::reportDuplicates(const QList<std::pair<QString, QString>> &duplicates) const
{
    for (const auto &[name, first] : duplicates)
        m_console.err << "quiltmap: " << shownPath(name) << ": the same pixels as "
                      << shownPath(first) << Qt::endl;
}

// The report line; a watch's later runs start it with the local time.
void SheetRun::reportSize(const SheetImage &image, int page) const
{
    if (m_options.quiet)
        return;
    if (m_history.runs > 1)
        m_console.out << QTime::currentTime().toString(u"HH:mm:ss") << ' ';
    if (page > 0)
        m_console.out << "page " << page << ": ";
    const SheetGeometry &geometry = image.geometry;
    m_console.out << "width " << image.size.width << ", height " << image.size.height << ", images "
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
