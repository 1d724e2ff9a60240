#include "zlib_floor.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <zlib.h>

namespace quiltmap::bench {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds
        = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::vector<unsigned char> readFile(const std::filesystem::path &path)
{
    std::ifstream file(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>() };
}

std::uint32_t bigEndian(const unsigned char *p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

// Feeds the data of every IDAT chunk to `consume`; returns the IHDR width and height.
template<typename Consume>
void forEachImageDataChunk(
    const std::vector<unsigned char> &file, int *width, int *height, Consume consume)
{
    std::size_t at = 8;
    while (at + 12 <= file.size()) {
        const std::uint32_t length = bigEndian(&file[at]);
        if (length > file.size() - at - 12)
            throw std::runtime_error("truncated PNG");
        const std::string type(reinterpret_cast<const char *>(&file[at + 4]), 4);
        const unsigned char *data = &file[at + 8];
        if (type == "IHDR" && length >= 8) {
            if (width)
                *width = int(bigEndian(data));
            if (height)
                *height = int(bigEndian(data + 4));
        } else if (type == "IDAT") {
            consume(data, length);
        }
        at += 12 + std::size_t(length);
    }
}

// Inflates one PNG's image data into `scratch` (overwritten as it fills), or appends it to
// `keep` when given.
void inflateImageData(z_stream &stream, const std::vector<unsigned char> &file,
    std::vector<unsigned char> &scratch, std::vector<unsigned char> *keep, int *width, int *height)
{
    inflateReset(&stream);
    forEachImageDataChunk(file, width, height, [&](const unsigned char *data, std::uint32_t size) {
        stream.next_in = const_cast<unsigned char *>(data);
        stream.avail_in = size;
        while (stream.avail_in > 0) {
            stream.next_out = scratch.data();
            stream.avail_out = uInt(scratch.size());
            const int result = inflate(&stream, Z_NO_FLUSH);
            if (keep)
                keep->insert(keep->end(), scratch.data(), stream.next_out);
            if (result == Z_STREAM_END)
                return;
            if (result != Z_OK)
                throw std::runtime_error("bad zlib data");
        }
    });
}

struct Inflater
{
    Inflater() { inflateInit(&stream); }
    ~Inflater() { inflateEnd(&stream); }
    z_stream stream {};
};

} // namespace

std::vector<unsigned char> inflatedImageData(
    const std::filesystem::path &png, int *width, int *height)
{
    Inflater inflater;
    std::vector<unsigned char> scratch(1 << 20);
    std::vector<unsigned char> data;
    inflateImageData(inflater.stream, readFile(png), scratch, &data, width, height);
    return data;
}

FloorTimes measureTileInflate(const std::filesystem::path &folder)
{
    FloorTimes times;
    const double cpuStart = cpuSeconds();
    const auto start = Clock::now();
    Inflater inflater;
    std::vector<unsigned char> scratch(1 << 16);
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        inflateImageData(
            inflater.stream, readFile(entry.path()), scratch, nullptr, nullptr, nullptr);
    times.inflateTiles = secondsSince(start);
    times.cpu = cpuSeconds() - cpuStart;
    return times;
}

FloorTimes measureFloor(const std::filesystem::path &folder, const std::filesystem::path &sheetPng)
{
    const std::vector<unsigned char> scanlines = inflatedImageData(sheetPng);
    FloorTimes times = measureTileInflate(folder);

    const double cpuStart = cpuSeconds();
    const auto start = Clock::now();
    z_stream stream {};
    deflateInit2(&stream, 7, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
    std::vector<unsigned char> compressed(deflateBound(&stream, uLong(scanlines.size())));
    stream.next_in = const_cast<unsigned char *>(scanlines.data());
    stream.avail_in = uInt(scanlines.size());
    stream.next_out = compressed.data();
    stream.avail_out = uInt(compressed.size());
    const int result = deflate(&stream, Z_FINISH);
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        throw std::runtime_error("deflate failed");
    times.deflateSheet = secondsSince(start);
    times.cpu += cpuSeconds() - cpuStart;
    return times;
}

} // namespace quiltmap::bench
