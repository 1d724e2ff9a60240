// quiltmap_threads_bench [WORKDIR] [COUNT...]: on generated corpora (3000 and 20000 tiles unless
// counts are given), in one run: the zlib floor, quiltmap --threads 1 (zlib: the sequential
// export) and --threads 2, and our deflate alone on the sheet's filtered rows on 1 and 2 threads,
// checked against zlib's bytes. From the processor time of our deflate's parallel and serial
// work and of the rest of the sequential export it projects 8 and 16 cores (Amdahl's law).
#include "child_run.h"
#include "corpus_tiles.h"
#include "stream_work.h"
#include "zlib_floor.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <zlib.h>

namespace {

namespace fs = std::filesystem;
using namespace quiltmap::bench;
using Clock = std::chrono::steady_clock;

constexpr int repeats = 3;

double processSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds
        = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::string loadAverage()
{
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

struct Timed
{
    double seconds = 1e30;
    double cpu = 1e30;
    void keepBest(double s, double c)
    {
        seconds = std::min(seconds, s);
        cpu = std::min(cpu, c);
    }
};

// zlib fed one filtered row per call, as the sequential export does.
std::vector<std::uint8_t> zlibRows(const std::vector<unsigned char> &rows, std::size_t rowSize)
{
    z_stream z {};
    deflateInit2(&z, 7, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
    std::vector<std::uint8_t> out(deflateBound(&z, uLong(rows.size())) + 64);
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    for (std::size_t at = 0; at < rows.size(); at += rowSize) {
        z.next_in = const_cast<unsigned char *>(rows.data() + at);
        z.avail_in = uInt(rowSize);
        deflate(&z, Z_NO_FLUSH);
    }
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

void benchmark(const fs::path &work, int count)
{
    const fs::path folder = work / ("corpus-" + std::to_string(count));
    writeCorpusFolder(folder, count);
    const fs::path sequentialBase = work / ("threads1-" + std::to_string(count));
    const fs::path parallelBase = work / ("threads2-" + std::to_string(count));
    Timed sequential, parallel, floorTotal, floorDeflate;
    for (int i = 0; i < repeats; ++i) {
        const ChildRun one = runQuiltmap(folder, sequentialBase, { "--threads", "1" });
        sequential.keepBest(one.seconds, one.cpu);
        const ChildRun two = runQuiltmap(folder, parallelBase, { "--threads", "2" });
        parallel.keepBest(two.seconds, two.cpu);
        const FloorTimes floor = measureFloor(folder, sequentialBase.string() + ".png");
        floorTotal.keepBest(floor.total(), floor.cpu);
        floorDeflate.keepBest(floor.deflateSheet, floor.deflateSheet);
    }
    const auto read = [](const fs::path &path) {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    const bool sameFiles
        = read(sequentialBase.string() + ".png") == read(parallelBase.string() + ".png");

    int width = 0;
    int height = 0;
    const std::vector<unsigned char> rows
        = inflatedImageData(sequentialBase.string() + ".png", &width, &height);
    const std::size_t rowSize = rows.size() / std::size_t(height);
    Timed zlibAlone, oursOne, oursTwo;
    StreamWork workTwo { 1e30, 1e30 };
    bool sameStreams = true;
    for (int i = 0; i < repeats; ++i) {
        auto start = Clock::now();
        double cpu = processSeconds();
        const std::vector<std::uint8_t> expected = zlibRows(rows, rowSize);
        zlibAlone.keepBest(
            std::chrono::duration<double>(Clock::now() - start).count(), processSeconds() - cpu);
        std::vector<std::uint8_t> stream;
        for (const unsigned threads : { 1u, 2u }) {
            start = Clock::now();
            cpu = processSeconds();
            const StreamWork measured = measureZlibStream(rows, rowSize, threads, stream);
            (threads == 1 ? oursOne : oursTwo)
                .keepBest(std::chrono::duration<double>(Clock::now() - start).count(),
                    processSeconds() - cpu);
            if (threads == 2
                && measured.parallel + measured.serial < workTwo.parallel + workTwo.serial)
                workTwo = measured;
            sameStreams = sameStreams && stream == expected;
        }
    }

    std::printf(
        "%d tiles, sheet %d x %d, filtered rows %.1f MiB, files equal %s, streams equal %s\n",
        count, width, height, double(rows.size()) / 1048576.0, sameFiles ? "yes" : "NO",
        sameStreams ? "yes" : "NO");
    std::printf("  floor (inflate tiles + zlib deflate)   wall %7.3f  cpu %7.3f\n",
        floorTotal.seconds, floorTotal.cpu);
    std::printf("  quiltmap --threads 1 (zlib)            wall %7.3f  cpu %7.3f  %5.2fx floor\n",
        sequential.seconds, sequential.cpu, sequential.seconds / floorTotal.seconds);
    std::printf("  quiltmap --threads 2                   wall %7.3f  cpu %7.3f  %5.2fx floor\n",
        parallel.seconds, parallel.cpu, parallel.seconds / floorTotal.seconds);
    std::printf("  sheet deflate: zlib                    wall %7.3f  cpu %7.3f\n",
        zlibAlone.seconds, zlibAlone.cpu);
    std::printf("  sheet deflate: ours, 1 thread          wall %7.3f  cpu %7.3f\n", oursOne.seconds,
        oursOne.cpu);
    std::printf("  sheet deflate: ours, 2 threads         wall %7.3f  cpu %7.3f\n", oursTwo.seconds,
        oursTwo.cpu);

    // Amdahl from processor time: the deflate's parallel and serial work on 2 threads, and the
    // rest of the sequential export (everything but zlib's deflate).
    const double p = workTwo.parallel;
    const double s = workTwo.serial;
    const double rest = std::max(0.0, sequential.cpu - zlibAlone.cpu);
    // quiltmap decodes tiles ahead on its threads: the floor's tile reading and inflating counts
    // as parallel work too.
    const double decoding = std::min(rest, std::max(0.0, floorTotal.cpu - zlibAlone.cpu));
    std::printf("  deflate work: parallel %.3f s, serial %.3f s: parallel fraction %.3f\n", p, s,
        p / (p + s));
    std::printf("  export work besides the deflate: %.3f s, of which decoding tiles %.3f s\n", rest,
        decoding);
    for (const int cores : { 1, 2, 8, 16 }) {
        const double deflate = s + p / cores;
        const double exportTime = rest - decoding + decoding / cores + deflate;
        std::printf(
            "  %2d cores: deflate %6.3f s (%5.2fx zlib), export %6.3f s (%5.2fx floor cpu)\n",
            cores, deflate, zlibAlone.cpu / deflate, exportTime, exportTime / floorTotal.cpu);
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    const auto [work, counts] = benchArguments(argc, argv, { 3000, 20000 },
        "Times the sheet's compression on one and two threads against zlib, for COUNT tiles "
        "(3000 and 20000).");
    std::printf("Best of %d runs; times in seconds; load average before: %s\n", repeats,
        loadAverage().c_str());
    try {
        for (const int count : counts)
            benchmark(work, count);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "quiltmap_threads_bench: %s\n", error.what());
        return 1;
    }
    std::printf("Load average after: %s\n", loadAverage().c_str());
    return 0;
}
