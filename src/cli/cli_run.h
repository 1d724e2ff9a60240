#pragma once

#include <QStringList>

class QTextStream;

namespace quiltmap::cli {

// Where the command writes: results to `out`, errors, notices and the progress bar to `err`.
struct Console
{
    QTextStream &out;
    QTextStream &err;
    // The progress bar is drawn only on a terminal.
    bool errIsTerminal = false;
};

// Exit statuses of the command.
enum ExitStatus { ExitSuccess = 0, ExitFailure = 1, ExitUsage = 2, ExitSkippedFiles = 3 };

// Runs `quiltmap` with the arguments after the program name and returns its exit status.
int runCli(const QStringList &arguments, Console console);

} // namespace quiltmap::cli
