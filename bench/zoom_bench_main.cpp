// quiltmap_zoom_bench [WORKDIR] [COUNT...]: times each zoom step of the main window's preview
// (offscreen, the window's real size) on the sheet of a generated corpus (20000 tiles unless
// counts are given), with and without the grid: the step and the repaint of the view it causes,
// against a display frame of 60 Hz.
#include "app/application.h"
#include "app/user_prompts.h"
#include "corpus_tiles.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

namespace fs = std::filesystem;
using namespace quiltmap;
using Clock = std::chrono::steady_clock;

constexpr int repeats = 5;
constexpr double frameMs = 1000.0 / 60;

// Nothing should ask the user anything; a box ends the benchmark.
class NoPrompts final : public app::UserPrompts
{
public:
    void showError(QWidget *, const QString &, const QString &text) override { fail(text); }
    void showNotice(QWidget *, const QString &, const QString &text) override { fail(text); }
    int execModal(QDialog &) override { return 2; }
    QString chooseSaveFile(QWidget *, const app::SaveDialogSettings &) override { return {}; }

private:
    [[noreturn]] static void fail(const QString &text)
    {
        std::fprintf(stderr, "quiltmap_zoom_bench: %s\n", qPrintable(text));
        std::exit(1);
    }
};

// Milliseconds of one step: the action and the repaint of the view that follows it.
double timeStep(QAction &action, QWidget &view)
{
    const auto start = Clock::now();
    action.trigger();
    view.repaint();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void benchmark(app::TfrmMain &window, int count, bool grid)
{
    auto *view = window.findChild<QScrollArea *>(QStringLiteral("ScrollBox1"));
    const auto action
        = [&](const char *name) { return window.findChild<QAction *>(QLatin1String(name)); };
    action("ShowGrid1")->setChecked(grid);
    // The middle of the sheet, where every step draws a full view.
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 2);
    double worst = 0;
    double total = 0;
    int steps = 0;
    for (int round = 0; round < repeats; ++round) {
        action("ActualSize1")->trigger();
        // 100 % down to 25 %, up to 800 %, and back to 100 %.
        for (const auto &[name, times] :
            { std::pair("ZoomOut1", 2), std::pair("ZoomIn1", 6), std::pair("ZoomOut1", 4) })
            for (int i = 0; i < times; ++i) {
                const double ms = timeStep(*action(name), *view->viewport());
                worst = std::max(worst, ms);
                total += ms;
                ++steps;
            }
    }
    std::printf("%6d  %4s  %7.2f  %7.2f  %6.2f\n", count, grid ? "on" : "off", total / steps, worst,
        worst / frameMs);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    const auto [work, counts, corpora] = bench::benchArguments(argc, argv, { 20000 },
        "Times the preview's zoom steps on the sheet of COUNT tiles (20000) against a frame.");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    app::QuiltMapApplication application(argc, argv);
    std::printf("Each step 25 %% to 800 %% and back, %d rounds; ms per step and view repaint "
                "(mean, worst), worst / %.1f ms frame.\n",
        repeats, frameMs);
    std::printf("%6s  %4s  %7s  %7s  %6s\n", "tiles", "grid", "mean", "worst", "/frame");
    for (const int count : counts) {
        const fs::path folder = fs::absolute(work) / ("corpus-" + std::to_string(count));
        bench::writeCorpusFolder(folder, count);
        const QString exeFolder
            = QString::fromStdString(
                  (fs::absolute(work) / ("zoom-" + std::to_string(count))).string())
            + u'/';
        QDir().mkpath(exeFolder);
        QFile settings(exeFolder + QStringLiteral("CreateQuiltMap.ini"));
        if (!settings.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 1;
        QTextStream(&settings) << "[Work]\nLastIconpath=" << QString::fromStdString(folder.string())
                               << "\n[Options]\nTilesPerRow=25\nLastSavePath=" << exeFolder
                               << "\nQuiltMapDir=" << exeFolder << "\n";
        settings.close();
        NoPrompts prompts;
        app::ErrorReporter errors(prompts, QStringLiteral("Createquiltmap"));
        app::installErrorReporter(&errors);
        {
            app::QuiltMapWindows windows(
                app::AppContext { errors, settings::portableLocation(exeFolder) });
            windows.frmMain.show();
            windows.frmMain.Timer1Timer();
            QCoreApplication::processEvents();
            for (const bool grid : { false, true })
                benchmark(windows.frmMain, count, grid);
            windows.frmMain.close();
        }
        app::installErrorReporter(nullptr);
    }
    return 0;
}
