// quiltmap_window_bench [WORKDIR] [[sideS:]COUNT...]: times a composition through the main window
// (the create button on a stored folder, offscreen) on generated corpora (3000 and 20000 tiles
// unless counts are given; sideS:COUNT for tiles S x S large) against the core composing alone
// and against reading and inflating every tile of the same folder, and reports the window's peak
// memory, how late a key typed reaches its field and the longest the window's events wait at all:
// while the create button lists and composes the stored folder, and while the folder typed anew
// into the source field is listed and composed, each the worst of several runs.
#include "app/application.h"
#include "app/user_prompts.h"
#include "corpus_tiles.h"
#include "sheet/composition.h"
#include "sheet/folder_listing.h"
#include "widgets/adv_directory_edit.h"
#include "zlib_floor.h"

#include <QDir>
#include <QFile>
#include <QInputDevice>
#include <QKeyEvent>
#include <QTextStream>
#include <QTimerEvent>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace quiltmap;
using Clock = std::chrono::steady_clock;

constexpr int repeats = 3;
// How often the typing thread presses a key while the last composition runs.
constexpr auto keyInterval = std::chrono::milliseconds(23);

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Processor time of the process so far, user and system: steadier than wall time on a busy
// machine.
double cpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Nothing should ask the user anything; an error box ends the benchmark.
class NoPrompts final : public app::UserPrompts
{
public:
    void showError(QWidget *, const QString &, const QString &text) override
    {
        std::fprintf(stderr, "quiltmap_window_bench: %s\n", qPrintable(text));
        std::exit(1);
    }
    void showNotice(QWidget *parent, const QString &caption, const QString &text) override
    {
        showError(parent, caption, text);
    }
    int execModal(QDialog &) override { return 2; }
    QString chooseSaveFile(QWidget *, const app::SaveDialogSettings &) override { return {}; }
};

// Presses keys from another thread, as the window system would deliver them, and times how long
// each takes to reach the field.
class Typist : public QObject
{
public:
    explicit Typist(QWidget *field)
        : m_field(field)
    {
        field->installEventFilter(this);
        // Key events ask for the keyboard device; it must be made here, on the window's thread.
        QInputDevice::primaryKeyboard();
    }

    void start()
    {
        m_thread = std::thread([this] {
            for (quint32 sequence = 0; sequence < m_pressed.size(); ++sequence) {
                // Woken at once when typing stops: a key posted while stop() waited here would
                // wait undelivered, and count as the window's delay.
                std::unique_lock lock(m_mutex);
                if (m_stopped.wait_for(lock, keyInterval, [this] { return m_stop; }))
                    break;
                lock.unlock();
                m_pressed[sequence] = Clock::now();
                // The scan code carries the key's sequence number back to the filter.
                QCoreApplication::postEvent(m_field,
                    new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, sequence, 0, 0,
                        QStringLiteral("a")));
            }
        });
    }

    // Stops typing and returns the delivery delays in seconds, sorted.
    std::vector<double> stop()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_stopped.notify_one();
        m_thread.join();
        QCoreApplication::processEvents();
        m_field->removeEventFilter(this);
        std::sort(m_delays.begin(), m_delays.end());
        return m_delays;
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto sequence = static_cast<QKeyEvent *>(event)->nativeScanCode();
            m_delays.push_back(
                std::chrono::duration<double>(Clock::now() - m_pressed.at(sequence)).count());
        }
        return false;
    }

private:
    QWidget *m_field;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_stop = false;
    // Written by the typing thread before it posts the key; the post orders the two threads.
    std::vector<Clock::time_point> m_pressed = std::vector<Clock::time_point>(100000);
    std::vector<double> m_delays;
};

// Measures the longest stretch in which the window's thread dispatches no event: a precise timer
// of a millisecond fires whenever events are dispatched, so a step that keeps them waiting shows
// as a gap between two firings even where no key fell into it.
class LoopGaps : public QObject
{
public:
    void start()
    {
        m_last = Clock::now();
        m_timer = startTimer(std::chrono::milliseconds(1), Qt::PreciseTimer);
    }

    // Stops measuring and returns the longest gap so far in seconds, the last one included.
    double stop()
    {
        note();
        killTimer(m_timer);
        return std::chrono::duration<double>(m_longest).count();
    }

protected:
    void timerEvent(QTimerEvent *) override { note(); }

private:
    void note()
    {
        const auto now = Clock::now();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }

    int m_timer = 0;
    Clock::time_point m_last;
    Clock::duration m_longest {};
};

// The slowest of several runs of one case: every key delay, and the longest gap of the loop.
struct Responsiveness
{
    std::vector<double> delays;
    double stall = 0;

    template<typename Compose> void measure(QWidget *field, Compose compose)
    {
        Typist typist(field);
        LoopGaps gaps;
        typist.start();
        gaps.start();
        compose();
        stall = std::max(stall, gaps.stop());
        const std::vector<double> more = typist.stop();
        delays.insert(delays.end(), more.begin(), more.end());
        std::sort(delays.begin(), delays.end());
    }

    double median() const { return delays.empty() ? 0 : delays[delays.size() / 2]; }
    double longest() const { return delays.empty() ? 0 : delays.back(); }
};

// The core alone: lists the folder and draws every tile of `side` pixels square, as the window
// does without a window. Returns the wall seconds and adds the processor seconds to `cpu`.
double composeInCore(const fs::path &folder, int side, double &cpu)
{
    const double cpuStart = cpuSeconds();
    const auto start = Clock::now();
    sheet::FolderListing listing;
    listing.applyFilePath(QString::fromStdString(folder.string()));
    const auto geometry = sheet::computeGeometry(
        { QString::number(side), QString::number(side), QStringLiteral("25") }, listing.count(),
        sheet::GeometryVariant::Composition)
                              .geometry;
    sheet::Composition composition(
        geometry, QString::fromStdString(folder.string()), listing.names());
    while (!composition.atEnd())
        composition.drawNextTile();
    composition.finish();
    cpu = cpuSeconds() - cpuStart;
    return secondsSince(start);
}

void writeSettings(const QString &exeFolder, const QString &tileFolder)
{
    QDir().mkpath(exeFolder);
    QFile file(exeFolder + QStringLiteral("CreateQuiltMap.ini"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::exit(1);
    QTextStream(&file) << "[Work]\nLastIconpath=" << tileFolder << "\n[Options]\nTilesPerRow=25\n"
                       << "LastSavePath=" << exeFolder << "\nQuiltMapDir=" << exeFolder << "\n";
}

// The child process: starts the window on the stored folder (two compositions, as at every
// start), times the create button, then types into the log while it composes again, and while
// the folder, typed anew into the source field, is listed and composed, several times each.
// Prints "seconds medianKeyDelay maxKeyDelay keys peakKiB cpuSeconds folderMaxKeyDelay
// sheetBytes stall folderStall".
int composeInWindow(int argc, char **argv, const char *tileFolder, const char *exeFolder)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    app::QuiltMapApplication application(argc, argv);
    writeSettings(QString::fromLocal8Bit(exeFolder) + u'/', QString::fromLocal8Bit(tileFolder));
    NoPrompts prompts;
    app::ErrorReporter errors(prompts, QStringLiteral("Createquiltmap"));
    app::installErrorReporter(&errors);
    app::QuiltMapWindows windows(app::AppContext {
        errors, settings::portableLocation(QString::fromLocal8Bit(exeFolder) + u'/') });
    app::TfrmMain &window = windows.frmMain;
    auto *field = window.findChild<QWidget *>(QStringLiteral("log"));
    window.show();
    window.Timer1Timer();
    QCoreApplication::processEvents();

    double best = 1e30;
    double bestCpu = 1e30;
    for (int i = 0; i < repeats; ++i) {
        const double cpuStart = cpuSeconds();
        const auto start = Clock::now();
        window.Button1Click(nullptr);
        best = std::min(best, secondsSince(start));
        bestCpu = std::min(bestCpu, cpuSeconds() - cpuStart);
        QCoreApplication::processEvents();
    }

    Responsiveness button;
    Responsiveness typed;
    auto *source = window.findChild<widgets::TAdvDirectoryEdit *>(QStringLiteral("sourcefiles"));
    for (int i = 0; i < repeats; ++i) {
        button.measure(field, [&] { window.Button1Click(nullptr); });
        // The stored folder has no "/" at its end: each run's text differs from the last.
        typed.measure(field, [&] {
            source->setText(QString::fromLocal8Bit(tileFolder)
                + (i % 2 == 0 ? QStringLiteral("/") : QString()));
        });
    }

    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const sheet::Raster &sheet = *window.exportImage();
    std::printf("%.6f %.6f %.6f %zu %ld %.6f %.6f %zu %.6f %.6f\n", best, button.median(),
        button.longest(), button.delays.size(), usage.ru_maxrss, bestCpu, typed.longest(),
        sheet.bytesPerRow() * std::size_t(sheet.height()), button.stall, typed.stall);
    windows.frmMain.close();
    return 0;
}

struct WindowRun
{
    double seconds = 0;
    double medianKeyDelay = 0;
    double maxKeyDelay = 0;
    std::size_t keys = 0;
    long peakKiB = 0;
    double cpu = 0;
    double folderMaxKeyDelay = 0;
    std::size_t sheetBytes = 0;
    double stall = 0;
    double folderStall = 0;
};

WindowRun runWindow(const fs::path &self, const fs::path &folder, const fs::path &exeFolder)
{
    std::string command;
    for (const std::string &arg :
        { self.string(), std::string("--compose"), folder.string(), exeFolder.string() })
        command += " '" + arg + "'";
    FILE *child = popen(command.c_str(), "r");
    if (child == nullptr)
        throw std::runtime_error("cannot start the window");
    WindowRun run;
    const int fields = std::fscanf(child, "%lf %lf %lf %zu %ld %lf %lf %zu %lf %lf", &run.seconds,
        &run.medianKeyDelay, &run.maxKeyDelay, &run.keys, &run.peakKiB, &run.cpu,
        &run.folderMaxKeyDelay, &run.sheetBytes, &run.stall, &run.folderStall);
    if (pclose(child) != 0 || fields != 10)
        throw std::runtime_error("the window run failed");
    return run;
}

void benchmark(const fs::path &self, const fs::path &work, const bench::Corpus &corpus)
{
    const int count = corpus.count;
    const std::string label = (corpus.side > 0 ? "side" + std::to_string(corpus.side) + "-" : "")
        + std::to_string(count);
    const fs::path folder = work / ("corpus-" + label);
    bench::writeCorpusFolder(folder, count, bench::CorpusKind::icons, corpus.side);
    double floor = 1e30;
    double floorCpu = 1e30;
    double core = 1e30;
    double coreCpu = 1e30;
    for (int i = 0; i < repeats; ++i) {
        const bench::FloorTimes floorTimes = bench::measureTileInflate(folder);
        floor = std::min(floor, floorTimes.inflateTiles);
        floorCpu = std::min(floorCpu, floorTimes.cpu);
        double cpu = 0;
        core = std::min(core, composeInCore(folder, corpus.side > 0 ? corpus.side : 48, cpu));
        coreCpu = std::min(coreCpu, cpu);
    }
    const WindowRun run = runWindow(self, folder, work / ("window-" + label));

    // The window may hold one sheet raster and 256 MiB besides.
    const double limitMiB = double(run.sheetBytes) / (1024.0 * 1024.0) + 256;
    const double peakMiB = double(run.peakKiB) / 1024.0;
    std::printf("%12s  %7.3f  %7.3f  %7.3f  %6.2fx  %6.2fx  %7.1f %7.1f %6zu %7.1f %8.1f "
                "%7.1f  %8.1f  %9.1f  %4s  %7.3f  %7.3f  %7.3f  %6.2fx\n",
        label.c_str(), run.seconds, core, floor, run.seconds / floor, run.seconds / core,
        run.medianKeyDelay * 1000, run.maxKeyDelay * 1000, run.keys, run.stall * 1000,
        run.folderMaxKeyDelay * 1000, run.folderStall * 1000, peakMiB, limitMiB,
        peakMiB <= limitMiB ? "ok" : "OVER", run.cpu, coreCpu, floorCpu, run.cpu / floorCpu);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--compose") == 0)
        return composeInWindow(argc, argv, argv[2], argv[3]);

    const fs::path self = fs::canonical("/proc/self/exe");
    const auto [work, counts, corpora] = bench::benchArguments(argc, argv, { 3000, 20000 },
        "Times the main window (offscreen) composing COUNT tiles (3000 and 20000) against the "
        "core alone and the inflate floor.",
        false, true);
    std::printf("Best of %d runs; core = list and compose without a window; floor = read and "
                "inflate every tile.\nTimes in seconds (wall clock, then processor time: user + "
                "system), key delays in ms over %d runs: median and max while the create button "
                "lists and composes,\nmax while a folder typed into the source field is listed "
                "and composed (folder); stall = the longest the window dispatched no event in "
                "those runs;\nlimit = one sheet raster + 256 MiB.\n",
        repeats, repeats);
    std::printf("%12s  %7s  %7s  %7s  %7s  %7s  %7s %7s %6s %7s %8s %7s  %8s  %9s  %4s  %7s  %7s  "
                "%7s  %7s\n",
        "tiles", "window", "core", "floor", "/floor", "/core", "key med", "key max", "keys",
        "stall", "folder", "stall", "peak MiB", "limit MiB", "", "cpu win", "core", "floor",
        "/floor");
    try {
        for (const bench::Corpus &corpus : corpora)
            benchmark(self, fs::absolute(work), corpus);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "quiltmap_window_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
