#include "cli/cli_run.h"

#include "cli/cli_messages.h"
#include "cli/cli_options.h"
#include "cli/folder_watch.h"
#include "cli/option_table.h"
#include "cli/sheet_run.h"
#include "common/error.h"
#include "settings/version_text.h"
#include "sheet/sheet_export.h"

#include <QFileInfo>
#include <QTextStream>
#include <atomic>
#include <csignal>
#include <optional>

namespace quiltmap::cli {
namespace {

using namespace Qt::StringLiterals;

// Set from the signal handler, so it must be lock-free.
std::atomic<bool> stopRequested = false;
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void requestStop(int)
{
    stopRequested = true;
}

// While it lives, Ctrl+C and SIGTERM end the watch instead of the process.
class StopOnInterrupt
{
public:
    StopOnInterrupt()
    {
        stopRequested = false;
        struct sigaction action
        {
        };
        action.sa_handler = requestStop;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_oldInterrupt);
        sigaction(SIGTERM, &action, &m_oldTerminate);
    }
    ~StopOnInterrupt()
    {
        sigaction(SIGINT, &m_oldInterrupt, nullptr);
        sigaction(SIGTERM, &m_oldTerminate, nullptr);
    }
    StopOnInterrupt(const StopOnInterrupt &) = delete;
    StopOnInterrupt &operator=(const StopOnInterrupt &) = delete;

private:
    struct sigaction m_oldInterrupt
    {
    };
    struct sigaction m_oldTerminate
    {
    };
};

int reportFailure(const QString &message, Console console)
{
    console.err << "quiltmap: " << message << Qt::endl;
    return ExitFailure;
}

int runOnce(const CliOptions &options, const RunPaths &paths, Console console, RunHistory &history)
{
    try {
        return runSheet(options, paths, console, history);
    } catch (const Error &error) {
        return reportFailure(
            englishMessage(error, sheet::changeExtension(options.output, u".png"_s)), console);
    } catch (const std::bad_alloc &) {
        return reportFailure(u"not enough memory"_s, console);
    } catch (const std::exception &error) {
        return reportFailure(QString::fromLocal8Bit(error.what()), console);
    }
}

// The starts of the names of the outputs and their temporary files when they are written into
// the watched folder, whose changes they must not trigger: "BASE." and with --pages "BASE-".
QStringList ownOutputPrefixes(const CliOptions &options, const RunPaths &paths)
{
    const QFileInfo stem(sheet::changeExtension(paths.outputBase, QString()));
    if (QFileInfo(stem.absolutePath()).canonicalFilePath()
        != QFileInfo(paths.folder).canonicalFilePath())
        return {};
    QStringList prefixes { stem.fileName() + u'.' };
    if (options.pages)
        prefixes.append(stem.fileName() + u'-');
    return prefixes;
}

// Runs, then runs again whenever the folder has been quiet for 300 ms after a change, until
// Ctrl+C. A failing run is reported and the watch goes on.
int watch(const CliOptions &options, const RunPaths &paths, Console console)
{
    const StopOnInterrupt stopOnInterrupt;
    std::optional<FolderWatch> watcher;
    try {
        watcher.emplace(paths.folder, ownOutputPrefixes(options, paths));
    } catch (const Error &error) {
        return reportFailure(error.message(), console);
    }
    if (!options.quiet)
        console.err << "quiltmap: watching " << options.folder << " (Ctrl+C to stop)" << Qt::endl;
    RunHistory history;
    runOnce(options, paths, console, history);
    while (watcher->waitForQuietChange(std::chrono::milliseconds(300), stopRequested))
        runOnce(options, paths, console, history);
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
    const RunPaths paths = resolvePaths(parsed.options);
    if (parsed.options.watch)
        return watch(parsed.options, paths, console);
    RunHistory history;
    return runOnce(parsed.options, paths, console, history);
}

} // namespace quiltmap::cli
