#include "corpus_tiles.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>

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

PngRecipe rgbRecipe(int width, int height)
{
    PngRecipe recipe;
    recipe.colourType = 2;
    recipe.width = std::uint32_t(width);
    recipe.height = std::uint32_t(height);
    recipe.filter = 4;
    recipe.samples.reserve(std::size_t(width) * std::size_t(height) * 3);
    return recipe;
}

// Texture that varies smoothly: hashed values on a coarse grid, interpolated between.
double valueNoise(std::uint32_t seed, double x, double y)
{
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    const auto at = [seed](int gx, int gy) {
        return double(mix(seed ^ mix(std::uint32_t(gx) * 73856093U ^ std::uint32_t(gy) * 19349663U))
                   & 0xFFFF)
            / 65535.0;
    };
    const double top = at(x0, y0) * (1 - fx) + at(x0 + 1, y0) * fx;
    const double bottom = at(x0, y0 + 1) * (1 - fx) + at(x0 + 1, y0 + 1) * fx;
    return top * (1 - fy) + bottom * fy;
}

// A crop of a made-up landscape: a gradient between two colours, coarse and fine texture, and
// a little sensor noise.
PngRecipe photo(int index)
{
    constexpr int photoSide = 96;
    PngRecipe recipe = rgbRecipe(photoSide, photoSide);
    const std::uint32_t seed = mix(std::uint32_t(index) * 2654435761U + 17);
    const double angle = double(seed % 628) / 100.0;
    const double gx = std::cos(angle) / photoSide, gy = std::sin(angle) / photoSide;
    const std::array<double, 3> from { double(seed & 0xFF), double((seed >> 8) & 0xFF),
        double((seed >> 16) & 0xFF) };
    const std::uint32_t other = mix(seed);
    const std::array<double, 3> to { double(other & 0xFF), double((other >> 8) & 0xFF),
        double((other >> 16) & 0xFF) };
    std::uint32_t grain = seed;
    for (int y = 0; y < photoSide; ++y) {
        for (int x = 0; x < photoSide; ++x) {
            const double t = std::clamp(0.5 + x * gx + y * gy, 0.0, 1.0);
            const double texture = 40 * valueNoise(seed, x / 16.0, y / 16.0)
                + 16 * valueNoise(other, x / 3.0, y / 3.0) - 28;
            for (int c = 0; c < 3; ++c) {
                grain = mix(grain + 1);
                const double noise = double(grain % 7) - 3;
                recipe.samples.push_back(std::uint8_t(
                    std::clamp(int(from[c] * (1 - t) + to[c] * t + texture + noise), 0, 255)));
            }
        }
    }
    return recipe;
}

// A drawing in a few flat colours: filled boxes with dark outlines, and lines of "text" set from
// a made-up font of 32 glyphs of 5 x 7 dots, drawn 2 x 2.
PngRecipe lineArt(int index)
{
    constexpr int artSide = 128;
    constexpr std::array<Rgba, 6> inks { { { 255, 255, 255, 255 }, { 20, 20, 30, 255 },
        { 220, 60, 50, 255 }, { 60, 130, 220, 255 }, { 250, 200, 40, 255 },
        { 90, 180, 90, 255 } } };
    std::vector<int> ink(std::size_t(artSide) * artSide, 0);
    const std::uint32_t seed = mix(std::uint32_t(index) + 99);
    for (int box = 0; box < 3; ++box) {
        const std::uint32_t r = mix(seed + std::uint32_t(box));
        const int left = int(r % 80), top = int((r >> 8) % 40), w = 16 + int((r >> 16) % 40),
                  h = 12 + int((r >> 24) % 30);
        for (int y = top; y < std::min(artSide, top + h); ++y)
            for (int x = left; x < std::min(artSide, left + w); ++x)
                ink[std::size_t(y * artSide + x)]
                    = (y < top + 2 || y >= top + h - 2 || x < left + 2 || x >= left + w - 2)
                    ? 1
                    : 2 + box;
    }
    const auto dot = [](std::uint32_t glyph, int column, int row) {
        return (mix(glyph * 35 + std::uint32_t(row * 5 + column) + 7) & 3) == 0;
    };
    std::uint32_t letters = seed;
    for (int line = 0; line < 4; ++line) {
        const int baseline = 60 + line * 17;
        for (int x = 4; x + 12 <= artSide; x += 12) {
            letters = mix(letters + 1);
            if (letters % 6 == 0)
                continue; // a space between words
            const std::uint32_t glyph = letters % 32;
            for (int row = 0; row < 7; ++row)
                for (int column = 0; column < 5; ++column)
                    if (dot(glyph, column, row))
                        for (int d = 0; d < 4; ++d)
                            ink[std::size_t(
                                (baseline + 2 * row + d / 2) * artSide + x + 2 * column + d % 2)]
                                = 1;
        }
    }
    PngRecipe recipe = rgbRecipe(artSide, artSide);
    for (const int i : ink) {
        recipe.samples.push_back(std::uint8_t(inks[std::size_t(i)].r));
        recipe.samples.push_back(std::uint8_t(inks[std::size_t(i)].g));
        recipe.samples.push_back(std::uint8_t(inks[std::size_t(i)].b));
    }
    return recipe;
}

PngRecipe noise(int index)
{
    PngRecipe recipe = rgbRecipe(1000, 800);
    std::uint32_t state = mix(std::uint32_t(index) + 12345);
    recipe.samples.resize(recipe.samples.capacity());
    for (std::uint8_t &byte : recipe.samples) {
        state = mix(state + 0x9E3779B9U);
        byte = std::uint8_t(state);
    }
    recipe.filter = 0;
    recipe.compressionLevel = 1;
    return recipe;
}

PngRecipe icon(int index)
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

constexpr std::array<std::pair<CorpusKind, std::string_view>, 4> kindNames { {
    { CorpusKind::icons, "icons" },
    { CorpusKind::photos, "photos" },
    { CorpusKind::lineArt, "lineart" },
    { CorpusKind::noise, "noise" },
} };

} // namespace

std::string_view corpusKindName(CorpusKind kind)
{
    for (const auto &[k, name] : kindNames)
        if (k == kind)
            return name;
    return {};
}

std::optional<CorpusKind> corpusKindNamed(std::string_view name)
{
    for (const auto &[kind, n] : kindNames)
        if (n == name)
            return kind;
    return std::nullopt;
}

PngRecipe corpusTile(int index, CorpusKind kind)
{
    switch (kind) {
    case CorpusKind::photos:
        return photo(index);
    case CorpusKind::lineArt:
        return lineArt(index);
    case CorpusKind::noise:
        return noise(index);
    case CorpusKind::icons:
        break;
    }
    return icon(index);
}

PngRecipe sizedIconTile(int index, int tileSide)
{
    PngRecipe recipe;
    recipe.colourType = 6;
    recipe.width = std::uint32_t(tileSide);
    recipe.height = std::uint32_t(tileSide);
    recipe.filter = 4;
    for (int y = 0; y < tileSide; ++y)
        for (int x = 0; x < tileSide; ++x) {
            const Rgba p = iconPixel(index, x * side / tileSide, y * side / tileSide);
            recipe.samples.insert(recipe.samples.end(),
                { std::uint8_t(p.r), std::uint8_t(p.g), std::uint8_t(p.b), std::uint8_t(p.a) });
        }
    return recipe;
}

std::string corpusTileName(int index)
{
    char name[32];
    std::snprintf(name, sizeof name, "tile%06d.png", index);
    return name;
}

void writeCorpusFolder(
    const std::filesystem::path &folder, int count, CorpusKind kind, int tileSide)
{
    namespace fs = std::filesystem;
    const fs::path complete = folder.string() + ".complete";
    if (fs::exists(complete))
        return;
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        const std::vector<std::uint8_t> png
            = pngbuilder::buildPng(tileSide > 0 ? sizedIconTile(i, tileSide) : corpusTile(i, kind));
        std::ofstream(folder / corpusTileName(i), std::ios::binary)
            .write(reinterpret_cast<const char *>(png.data()), std::streamsize(png.size()));
    }
    std::ofstream { complete };
}

BenchArguments benchArguments(int argc, char **argv, std::vector<int> defaultCounts,
    const char *about, bool withKinds, bool withSides)
{
    const std::string name = std::filesystem::path(argv[0]).filename().string();
    const auto usage = [&](std::FILE *to) {
        std::fprintf(to, "Usage: %s [WORKDIR] [%sCOUNT...]\n", name.c_str(),
            withKinds       ? "[KIND:]"
                : withSides ? "[sideS:]"
                            : "");
    };
    BenchArguments arguments;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            usage(stdout);
            std::printf("%s\nWORKDIR defaults to quiltmap-bench in the temporary folder.\n", about);
            if (withKinds)
                std::printf("KIND is icons (the default), photos, lineart or noise.\n");
            if (withSides)
                std::printf("sideS:COUNT draws the icons S x S pixels large (1 to 4096).\n");
            std::exit(0);
        }
        const char *problem = argv[i][0] == '-' ? "no such option" : nullptr;
        if (!problem && i > 1) {
            const std::string_view word = argv[i];
            const std::size_t colon = word.find(':');
            Corpus corpus;
            if (colon != std::string_view::npos) {
                const std::string_view prefix = word.substr(0, colon);
                const std::optional<CorpusKind> kind = corpusKindNamed(prefix);
                const std::string sideDigits(prefix.substr(prefix.starts_with("side") ? 4 : 0));
                char *sideEnd = nullptr;
                long side = std::strtol(sideDigits.c_str(), &sideEnd, 10);
                if (!prefix.starts_with("side") || *sideEnd != '\0')
                    side = 0;
                if (withKinds && kind)
                    corpus.kind = *kind;
                else if (withSides && side >= 1 && side <= 4096)
                    corpus.side = int(side);
                else
                    problem = withSides ? "not a tile side" : "not a corpus kind";
            }
            const char *digits = argv[i] + (colon == std::string_view::npos ? 0 : colon + 1);
            char *end = nullptr;
            const long count = std::strtol(digits, &end, 10);
            if (!problem && (*end != '\0' || end == digits || count < 1 || count > 10'000'000))
                problem = "not a tile count from 1 up";
            corpus.count = int(count);
            arguments.counts.push_back(corpus.count);
            arguments.corpora.push_back(corpus);
        }
        if (problem) {
            std::fprintf(stderr, "%s: %s: %s\n", name.c_str(), argv[i], problem);
            usage(stderr);
            std::exit(2);
        }
    }
    arguments.work = argc > 1 ? std::filesystem::path(argv[1])
                              : std::filesystem::temp_directory_path() / "quiltmap-bench";
    if (arguments.counts.empty()) {
        arguments.counts = std::move(defaultCounts);
        for (const int count : arguments.counts)
            arguments.corpora.push_back({ CorpusKind::icons, count });
    }
    std::filesystem::create_directories(arguments.work);
    return arguments;
}

} // namespace quiltmap::bench
