#pragma once

#include "sheet/composition.h"
#include "sheet/data_files.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace quiltmap::cli {

// What the command line asks for.
struct CliOptions
{
    enum class Action { Compose, ShowHelp, ShowVersion };

    Action action = Action::Compose;
    QString folder;
    // The cell size of --cell, or nothing to take it from the first file.
    std::optional<QSize> cell;
    // --cell largest: the largest width and height among the files.
    bool cellLargest = false;
    // Tiles per row; nothing for the default.
    std::optional<int> columns;
    // -n auto: the columns of the squarest sheet.
    bool columnsAuto = false;
    sheet::SheetStyle style;
    // Names that differ in a run of digits compare by the numbers' values.
    bool naturalOrder = false;
    // A file listing names in the order wanted, if any.
    QString orderFile;
    // The largest sheet width and height allowed, if any.
    std::optional<std::int64_t> maxSize;
    QString output = QStringLiteral("QuiltMap");
    sheet::DataFormats data;
    // Also write BASE.proof.png, the sheet for people to check.
    bool proof = false;
    // A sheet beyond --max-size is split by whole rows into BASE-1.png, BASE-2.png, ...
    bool pages = false;
    bool quiet = false;
    // Read files by their content with every image format at hand, not as PNG only.
    bool anyFormat = false;
    // A file that cannot be read leaves its cell empty instead of ending the run.
    bool keepGoing = false;
    // The threads that compress the sheet; nothing for the processor count.
    std::optional<int> threads;
    // Run again whenever the folder changes, until Ctrl+C.
    bool watch = false;
};

// The result of reading the command line: options, or the message of a usage error.
struct ParsedCommandLine
{
    CliOptions options;
    QString usageError;
};

// Reads the arguments after the program name.
ParsedCommandLine parseCommandLine(const QStringList &arguments);

} // namespace quiltmap::cli
