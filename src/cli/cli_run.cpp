#include "cli/cli_run.h"

#include "cli/cli_options.h"
#include "cli/sheet_run.h"
#include "common/error.h"
#include "settings/version_text.h"

#include <QTextStream>

namespace quiltmap::cli {

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
        return runSheet(parsed.options, resolvePaths(parsed.options), console);
    } catch (const Error &error) {
        console.err << "quiltmap: " << error.message() << Qt::endl;
    } catch (const std::exception &error) {
        console.err << "quiltmap: " << error.what() << Qt::endl;
    }
    return ExitFailure;
}

} // namespace quiltmap::cli
