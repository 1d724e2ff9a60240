// quiltmap_names_bench [LINES]: times the main window's name list (offscreen, its size in the
// window) holding LINES entries (1 000 000 unless given): appending them in batches as a
// composition does, scrolling, typing in the middle, taking the lines for saving as the name
// list file has them and emptying it, each against a display frame of 60 Hz.
#include "app/text_list_edit.h"
#include "sheet/sheet_export.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double frameMs = 1000.0 / 60;
// Lines a composition's display adds at a time: about one frame's tiles.
constexpr int batchLines = 2000;
constexpr int steps = 20;

double msOf(const std::function<void()> &work)
{
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void report(const char *what, double ms)
{
    std::printf("%-40s %10.1f ms  %8.1f frames\n", what, ms, ms / frameMs);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const long lines = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1'000'000;
    if (lines < batchLines || lines > 100'000'000) {
        std::fprintf(stderr, "Usage: quiltmap_names_bench [LINES from %d]\n", batchLines);
        return 2;
    }
    quiltmap::app::TextListEdit list;
    list.resize(426, 93);
    list.show();

    double longestBatch = 0;
    const double appending = msOf([&] {
        for (long first = 0; first < lines; first += batchLines) {
            QStringList batch;
            for (long i = first; i < std::min(lines, first + batchLines); ++i)
                batch.append(QStringLiteral("tile%1").arg(i, 7, 10, QLatin1Char('0')));
            longestBatch = std::max(longestBatch, msOf([&] {
                list.appendLines(batch);
                list.viewport()->repaint();
            }));
        }
    });
    std::printf("%ld lines\n", lines);
    report("append all, in batches", appending);
    report("longest batch and repaint", longestBatch);

    QScrollBar &bar = *list.verticalScrollBar();
    double longestScroll = 0;
    for (int i = 1; i <= steps; ++i)
        longestScroll = std::max(longestScroll, msOf([&] {
            bar.setValue(int(std::int64_t(bar.maximum()) * i / steps));
            list.viewport()->repaint();
        }));
    report("longest scroll step and repaint", longestScroll);

    QTextCursor middle(list.document()->findBlockByNumber(int(lines / 2)));
    list.setTextCursor(middle);
    double longestKey = 0;
    for (int i = 0; i < steps; ++i)
        longestKey = std::max(longestKey, msOf([&] {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
            QApplication::sendEvent(&list, &key);
            list.viewport()->repaint();
        }));
    report("longest key typed and repaint", longestKey);

    QByteArray saved;
    report("lines for saving, encoded", msOf([&] {
        saved = quiltmap::sheet::encodeNameText(quiltmap::sheet::trimNameText(list.linesText()));
    }));
    report("empty it, as a composition starts", msOf([&] { list.clearAtOnce(); }));
    return saved.count('\n') == lines ? 0 : 1;
}
