// quiltmap_threads_bench [WORKDIR] [[KIND:]COUNT...]: on generated corpora (3000 and 20000 icons,
// 3000 photos, 2000 line art and 12 noise tiles unless others are given; KIND as for
// quiltmap_corpus), in one run: the zlib floor, quiltmap --threads 1 and 2 and with its default
// threads, and our deflate alone on the sheet's filtered rows on 1 and 2 threads, checked
// against zlib's bytes. From the processor time of our deflate's parallel and serial work and of
// the rest of the sequential export it projects 8 and 16 cores (Amdahl's law).
#include "child_run.h"
#include "corpus_tiles.h"
#include "stream_work.h"
#include "zlib_floor.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
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

// zlib fed one filtered row per call, as our deflate models it for the sheet.
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

void benchmark(const fs::path &work, const Corpus &corpus)
{
    const std::string name
        = std::string(corpusKindName(corpus.kind)) + "-" + std::to_string(corpus.count);
    const int count = corpus.count;
    const fs::path folder = work / ("corpus-" + name);
    writeCorpusFolder(folder, count, corpus.kind);
    const fs::path sequentialBase = work / ("threads1-" + name);
    const fs::path parallelBase = work / ("threads2-" + name);
    const fs::path defaultBase = work / ("default-" + name);
    Timed sequential, parallel, byDefault, floorTotal, floorDeflate;
    for (int i = 0; i < repeats; ++i) {
        const ChildRun one = runQuiltmap(folder, sequentialBase, { "--threads", "1" });
        sequential.keepBest(one.seconds, one.cpu);
        const ChildRun two = runQuiltmap(folder, parallelBase, { "--threads", "2" });
        parallel.keepBest(two.seconds, two.cpu);
        const ChildRun plain = runQuiltmap(folder, defaultBase);
        byDefault.keepBest(plain.seconds, plain.cpu);
        const FloorTimes floor = measureFloor(folder, sequentialBase.string() + ".png");
        floorTotal.keepBest(floor.total(), floor.cpu);
        floorDeflate.keepBest(floor.deflateSheet, floor.deflateSheet);
    }
    const auto read = [](const fs::path &path) {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    const std::string sequentialFile = read(sequentialBase.string() + ".png");
    const bool sameFiles = sequentialFile == read(parallelBase.string() + ".png")
        && sequentialFile == read(defaultBase.string() + ".png");

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
        "%d %s, sheet %d x %d, filtered rows %.1f MiB, files equal %s, streams equal %s\n",
        count, std::string(corpusKindName(corpus.kind)).c_str(), width, height, double(rows.size()) / 1048576.0, sameFiles ? "yes" : "NO",
        sameStreams ? "yes" : "NO");
    std::printf("  floor (inflate tiles + zlib deflate)   wall %7.3f  cpu %7.3f\n",
        floorTotal.seconds, floorTotal.cpu);
    std::printf("  quiltmap --threads 1                   wall %7.3f  cpu %7.3f  %5.2fx floor\n",
        sequential.seconds, sequential.cpu, sequential.seconds / floorTotal.seconds);
    std::printf("  quiltmap --threads 2                   wall %7.3f  cpu %7.3f  %5.2fx floor\n",
        parallel.seconds, parallel.cpu, parallel.seconds / floorTotal.seconds);
    std::printf("  quiltmap (default threads)             wall %7.3f  cpu %7.3f  %5.2fx floor\n",
        byDefault.seconds, byDefault.cpu, byDefault.seconds / floorTotal.seconds);
    std::printf("  sheet deflate: zlib                    wall %7.3f  cpu %7.3f\n",
        zlibAlone.seconds, zlibAlone.cpu);
    std::printf("  sheet deflate: ours, 1 thread          wall %7.3f  cpu %7.3f  %5.2fx zlib cpu\n",
        oursOne.seconds, oursOne.cpu, oursOne.cpu / zlibAlone.cpu);
    std::printf("  sheet deflate: ours, 2 threads         wall %7.3f  cpu %7.3f  %5.2fx zlib wall\n",
        oursTwo.seconds, oursTwo.cpu, oursTwo.seconds / zlibAlone.seconds);

    // Amdahl from processor time: the deflate's parallel and serial work on 2 threads, and the
    // rest of the sequential export (everything but our deflate on one thread).
    const double p = workTwo.parallel;
    const double s = workTwo.serial;
    const double rest = std::max(0.0, sequential.cpu - oursOne.cpu);
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
    auto [work, counts, corpora] = benchArguments(argc, argv, {},
        "Times the sheet's compression on one and two threads against zlib, for COUNT tiles of\n"
        "each KIND (3000 and 20000 icons, 3000 photos, 2000 line art, 12 noise).",
        true);
    std::printf("Best of %d runs; times in seconds; load average before: %s\n", repeats,
        loadAverage().c_str());
    try {
        if (corpora.empty())
            corpora = { { CorpusKind::icons, 3000 }, { CorpusKind::icons, 20000 },
                { CorpusKind::photos, 3000 }, { CorpusKind::lineArt, 2000 },
                { CorpusKind::noise, 12 } };
        for (const Corpus &corpus : corpora)
            benchmark(work, corpus);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "quiltmap_threads_bench: %s\n", error.what());
        return 1;
    }
    std::printf("Load average after: %s\n", loadAverage().c_str());
    return 0;
}
