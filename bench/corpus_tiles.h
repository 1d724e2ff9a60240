#pragma once

#include "png_builder/png_builder.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quiltmap::bench {

// Tile `index` of the benchmark corpus: an icon-like 48 x 48 picture (a shaded disc with a
// rim on a transparent or plain background) in a format that varies with the index: mostly
// 8-bit RGBA, some RGB, palette with and without transparency, grey, 16-bit, a few interlaced.
// The same index always gives the same file.
pngbuilder::PngRecipe corpusTile(int index);

// The tile's file name; names sort in index order.
std::string corpusTileName(int index);

// Writes the first `count` corpus tiles into `folder`, once: a folder that a finished earlier
// run left (marked by a sibling file "FOLDER.complete") is kept as it is.
void writeCorpusFolder(const std::filesystem::path &folder, int count);

// A benchmark's command line, [WORKDIR] [COUNT...]: the work folder (made when missing; the
// system's temporary folder's "quiltmap-bench" by default) and the corpus sizes. --help prints
// `about` and the usage and exits; an option or a count that is no number from 1 up is refused
// with exit status 2, so that no typo becomes a work folder.
struct BenchArguments
{
    std::filesystem::path work;
    std::vector<int> counts;
};
BenchArguments benchArguments(
    int argc, char **argv, std::vector<int> defaultCounts, const char *about);

} // namespace quiltmap::bench
