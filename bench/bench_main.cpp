// quiltmap_bench [WORKDIR] [COUNT...]: times `quiltmap` on generated corpora (300, 3000 and
// 20000 tiles unless counts are given) against the zlib floor measured in the same run, and
// reports the peak memory against two sheet rasters plus 32 MiB. Each corpus runs again with
// --data json --order natural, with the engines' files (--data phaser --data tiled) and with
// --proof, each shown as what it adds to the plain run.
#include "child_run.h"
#include "corpus_tiles.h"
#include "zlib_floor.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace quiltmap::bench;

constexpr int repeats = 3;

// A run with options beside the plain one: its best times.
struct OptionsRun
{
    std::vector<std::string> options;
    ChildRun best { 1e30, 1e30, 0 };
};

void benchmark(const fs::path &work, int count)
{
    const fs::path folder = work / ("corpus-" + std::to_string(count));
    writeCorpusFolder(folder, count);
    const fs::path base = work / ("sheet-" + std::to_string(count));
    ChildRun best { 1e30, 1e30, 0 };
    std::vector<OptionsRun> optionRuns { { { "--data", "json", "--order", "natural" } },
        { { "--data", "phaser", "--data", "tiled" } }, { { "--proof" } } };
    FloorTimes floor { 1e30, 1e30, 1e30 };
    double floorCpu = 1e30;
    for (int i = 0; i < repeats; ++i) {
        const ChildRun run = runQuiltmap(folder, base);
        best.seconds = std::min(best.seconds, run.seconds);
        best.cpu = std::min(best.cpu, run.cpu);
        best.peakKiB = std::max(best.peakKiB, run.peakKiB);
        for (OptionsRun &options : optionRuns) {
            const ChildRun withOptions
                = runQuiltmap(folder, work / "sheet-options", options.options);
            options.best.seconds = std::min(options.best.seconds, withOptions.seconds);
            options.best.cpu = std::min(options.best.cpu, withOptions.cpu);
        }
        const FloorTimes measured = measureFloor(folder, base.string() + ".png");
        if (measured.total() < floor.total())
            floor = measured;
        floorCpu = std::min(floorCpu, measured.cpu);
    }
    int width = 0;
    int height = 0;
    inflatedImageData(base.string() + ".png", &width, &height);
    const double limitMiB = 2 * double(width) * height * 3 / (1024.0 * 1024.0) + 32;
    const double peakMiB = double(best.peakKiB) / 1024.0;
    std::printf("%6d  %7.3f  %7.3f (%5.3f + %5.3f)  %5.2fx  %7.3f %7.3f  %5.2fx  %8.1f  %8.1f  %s"
                "  %7.3f",
        count, best.seconds, floor.total(), floor.inflateTiles, floor.deflateSheet,
        best.seconds / floor.total(), best.cpu, floorCpu, best.cpu / floorCpu, peakMiB, limitMiB,
        peakMiB <= limitMiB ? "ok" : "OVER", optionRuns.front().best.seconds);
    for (const OptionsRun &options : optionRuns)
        std::printf(" %+6.1f%% %+6.1f%%", 100 * (options.best.seconds / best.seconds - 1),
            100 * (options.best.cpu / best.cpu - 1));
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    const auto [work, counts, corpora] = benchArguments(argc, argv, { 300, 3000, 20000 },
        "Times quiltmap on corpora of COUNT tiles (300, 3000 and 20000) against the zlib floor.");
    std::printf(
        "Best of %d runs; floor = read and inflate every tile + deflate the sheet at level 7.\n",
        repeats);
    std::printf("Times in seconds: wall clock, and processor time (user + system).\n");
    std::printf("options: the wall time with --data json --order natural, and what the options\n"
                "add to the plain run's wall and processor time; engines: what --data phaser\n"
                "--data tiled adds; proof: what --proof adds.\n");
    std::printf("%6s  %7s  %7s %15s  %6s  %7s %7s  %6s  %8s  %9s     %7s %7s %7s %7s %7s %7s %7s\n",
        "tiles", "wall", "floor", "(tiles + sheet)", "ratio", "cpu", "floor", "ratio", "peak MiB",
        "limit MiB", "options", "+wall", "+cpu", "engines", "+cpu", "proof", "+cpu");
    try {
        for (const int count : counts)
            benchmark(work, count);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "quiltmap_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
