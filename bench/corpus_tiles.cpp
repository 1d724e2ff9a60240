#include "corpus_tiles.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace quiltmap::bench {
namespace {

constexpr int side = 48;

using pngbuilder::PngRecipe;

struct Rgba
{
    int r, g, b, a;
};

// A small deterministic generator, so every run writes the same corpus.
std::uint32_t mix(std::uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

// The icon at (x, y): a disc shaded from its top-left, with a dark rim and a soft edge.
Rgba iconPixel(int index, int x, int y)
{
    const std::uint32_t seed = mix(std::uint32_t(index) + 1);
    const int hueR = int(seed & 0xFF), hueG = int((seed >> 8) & 0xFF),
              hueB = int((seed >> 16) & 0xFF);
    const double radius = 14.0 + double((seed >> 24) % 9);
    const double dx = x - 23.5, dy = y - 23.5;
    const double distance = std::sqrt(dx * dx + dy * dy);
    const double light = std::clamp(1.2 - (dx + dy) / (3.0 * radius), 0.3, 1.5);
    const double edge = std::clamp(radius + 0.5 - distance, 0.0, 1.0);
    const bool rim = distance > radius - 2.0;
    const auto shade = [&](int c) { return std::clamp(int(rim ? c * 0.4 : c * light), 0, 255); };
    return { shade(hueR), shade(hueG), shade(hueB), int(std::lround(edge * 255)) };
}

void put16(std::vector<std::uint8_t> &out, int value8)
{
    out.push_back(std::uint8_t(value8));
    out.push_back(std::uint8_t(value8 ^ 0x5A));
}

PngRecipe truecolour(int index, bool alpha, int depth)
{
    PngRecipe recipe;
    recipe.colourType = alpha ? 6 : 2;
    recipe.bitDepth = std::uint8_t(depth);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            Rgba p = iconPixel(index, x, y);
            if (!alpha && p.a < 128)
                p = { 240, 240, 240, 255 };
            const std::array channels { p.r, p.g, p.b, p.a };
            for (int c = 0; c < (alpha ? 4 : 3); ++c) {
                if (depth == 16)
                    put16(recipe.samples, channels[c]);
                else
                    recipe.samples.push_back(std::uint8_t(channels[c]));
            }
        }
    }
    return recipe;
}

// A palette of 16 shades of the icon's colour; index 0 is the background.
PngRecipe palette(int index, bool transparency)
{
    PngRecipe recipe;
    recipe.colourType = 3;
    recipe.bitDepth = 4;
    const Rgba base = iconPixel(index, 24, 24);
    recipe.palette = { 255, 255, 255 };
    for (int i = 1; i < 16; ++i) {
        recipe.palette.push_back(std::uint8_t(base.r * i / 15));
        recipe.palette.push_back(std::uint8_t(base.g * i / 15));
        recipe.palette.push_back(std::uint8_t(base.b * i / 15));
    }
    if (transparency)
        recipe.transparency = std::vector<std::uint8_t> { 0, 64, 128, 192 };
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; x += 2) {
            const auto entry = [&](int px) {
                const Rgba p = iconPixel(index, px, y);
                return p.a < 128 ? 0 : 1 + (p.r + p.g + p.b) * 14 / 765;
            };
            recipe.samples.push_back(std::uint8_t(entry(x) << 4 | entry(x + 1)));
        }
    }
    return recipe;
}

PngRecipe grey(int index, bool alpha)
{
    PngRecipe recipe;
    recipe.colourType = alpha ? 4 : 0;
    recipe.bitDepth = 8;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const Rgba p = iconPixel(index, x, y);
            recipe.samples.push_back(std::uint8_t((p.r * 3 + p.g * 6 + p.b) / 10));
            if (alpha)
                recipe.samples.push_back(std::uint8_t(p.a));
        }
    }
    return recipe;
}

} // namespace

PngRecipe corpusTile(int index)
{
    PngRecipe recipe;
    switch (index % 20) {
    case 12:
    case 13:
        recipe = truecolour(index, false, 8);
        break;
    case 14:
        recipe = palette(index, false);
        break;
    case 15:
        recipe = palette(index, true);
        break;
    case 16:
        recipe = grey(index, false);
        break;
    case 17:
        recipe = grey(index, true);
        break;
    case 18:
        recipe = truecolour(index, true, 16);
        break;
    case 19:
        recipe = truecolour(index, false, 16);
        recipe.gamma = 45455;
        break;
    default:
        recipe = truecolour(index, true, 8);
        break;
    }
    recipe.width = side;
    recipe.height = side;
    recipe.interlaced = index % 37 == 5;
    recipe.filter = 4;
    return recipe;
}

std::string corpusTileName(int index)
{
    char name[32];
    std::snprintf(name, sizeof name, "tile%06d.png", index);
    return name;
}

void writeCorpusFolder(const std::filesystem::path &folder, int count)
{
    namespace fs = std::filesystem;
    const fs::path complete = folder.string() + ".complete";
    if (fs::exists(complete))
        return;
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        const std::vector<std::uint8_t> png = pngbuilder::buildPng(corpusTile(i));
        std::ofstream(folder / corpusTileName(i), std::ios::binary)
            .write(reinterpret_cast<const char *>(png.data()), std::streamsize(png.size()));
    }
    std::ofstream { complete };
}

BenchArguments benchArguments(
    int argc, char **argv, std::vector<int> defaultCounts, const char *about)
{
    const std::string name = std::filesystem::path(argv[0]).filename().string();
    const auto usage = [&](std::FILE *to) {
        std::fprintf(to, "Usage: %s [WORKDIR] [COUNT...]\n", name.c_str());
    };
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            usage(stdout);
            std::printf("%s\nWORKDIR defaults to quiltmap-bench in the temporary folder.\n", about);
            std::exit(0);
        }
        char *end = nullptr;
        const long count = i > 1 ? std::strtol(argv[i], &end, 10) : 1;
        if (argv[i][0] == '-' || (i > 1 && (*end != '\0' || count < 1 || count > 10'000'000))) {
            std::fprintf(stderr, "%s: %s: %s\n", name.c_str(), argv[i],
                argv[i][0] == '-' ? "no such option" : "not a tile count from 1 up");
            usage(stderr);
            std::exit(2);
        }
    }
    BenchArguments arguments;
    arguments.work = argc > 1 ? std::filesystem::path(argv[1])
                              : std::filesystem::temp_directory_path() / "quiltmap-bench";
    for (int i = 2; i < argc; ++i)
        arguments.counts.push_back(std::atoi(argv[i]));
    if (arguments.counts.empty())
        arguments.counts = std::move(defaultCounts);
    std::filesystem::create_directories(arguments.work);
    return arguments;
}

} // namespace quiltmap::bench
