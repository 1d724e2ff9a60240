#pragma once

#include "cli/cli_run.h"

#include <QString>

namespace quiltmap::cli {

struct CliOptions;

// The paths of a run, made absolute once: listing moves the process into the folder, and
// relative texts are meant from where the command started.
struct RunPaths
{
    QString folder;
    QString outputBase;
    // Empty without --order-file.
    QString orderFile;
};

RunPaths resolvePaths(const CliOptions &options);

// What one run of a watch leaves for the next.
struct RunHistory
{
    // Runs after the first name their time on the report line.
    int runs = 0;
    // That outputs lying in the folder were left out is said once.
    bool toldOwnOutputs = false;
};

// Composes the folder once as the options ask and writes the outputs. Returns ExitSuccess, or
// ExitSkippedFiles when --keep-going passed over files it could not read (each reported on
// `console.err`). Throws quiltmap::Error; englishMessage() words it.
int runSheet(
    const CliOptions &options, const RunPaths &paths, Console console, RunHistory &history);

} // namespace quiltmap::cli
