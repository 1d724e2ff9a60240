// quiltmap_corpus [--kind KIND | --side S] --count N DIR: writes a benchmark's tile corpus, N PNG
// files, into DIR. KIND is icons (the default), photos, lineart or noise; --side S writes the
// icons S x S pixels large instead (1 to 4096).
#include "corpus_tiles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace {

int usage()
{
    std::fprintf(stderr,
        "Usage: quiltmap_corpus [--kind icons|photos|lineart|noise | --side S] --count N DIR\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    auto kind = std::optional(quiltmap::bench::CorpusKind::icons);
    long side = 0;
    if (argc == 6 && std::strcmp(argv[1], "--kind") == 0) {
        kind = quiltmap::bench::corpusKindNamed(argv[2]);
        argc -= 2;
        argv += 2;
    } else if (argc == 6 && std::strcmp(argv[1], "--side") == 0) {
        char *end = nullptr;
        side = std::strtol(argv[2], &end, 10);
        if (*end != '\0' || side < 1 || side > 4096)
            return usage();
        argc -= 2;
        argv += 2;
    }
    if (!kind || argc != 4 || std::strcmp(argv[1], "--count") != 0)
        return usage();
    char *end = nullptr;
    const long count = std::strtol(argv[2], &end, 10);
    if (*end != '\0' || count < 0 || count > 10'000'000)
        return usage();
    const std::filesystem::path dir = argv[3];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::fprintf(stderr, "Cannot create %s: %s\n", argv[3], error.message().c_str());
        return 1;
    }
    for (int i = 0; i < count; ++i) {
        const std::vector<std::uint8_t> png
            = quiltmap::pngbuilder::buildPng(side > 0 ? quiltmap::bench::sizedIconTile(i, int(side))
                                                      : quiltmap::bench::corpusTile(i, *kind));
        const std::filesystem::path path = dir / quiltmap::bench::corpusTileName(i);
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char *>(png.data()), std::streamsize(png.size()));
        if (!file.flush()) {
            std::fprintf(stderr, "Cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
