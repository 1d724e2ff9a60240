#pragma once

#include "png_builder/png_builder.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quiltmap::bench {

// What the tiles of a corpus look like. Icons are the common case; the others give the sheet's
// deflate content of other kinds: photo crops (96 x 96 RGB: smooth gradients, texture, mild
// noise), flat line art with lines of text (128 x 128 RGB), and noise (1000 x 800 random RGB,
// which does not compress).
enum class CorpusKind
{
    icons,
    photos,
    lineArt,
    noise,
};

std::string_view corpusKindName(CorpusKind kind);
std::optional<CorpusKind> corpusKindNamed(std::string_view name);

// Tile `index` of a corpus. An icon is a 48 x 48 picture (a shaded disc with a
// rim on a transparent or plain background) in a format that varies with the index: mostly
// 8-bit RGBA, some RGB, palette with and without transparency, grey, 16-bit, a few interlaced.
// The same index always gives the same file.
pngbuilder::PngRecipe corpusTile(int index, CorpusKind kind = CorpusKind::icons);

// The icon of tile `index` drawn on `tileSide` x `tileSide` pixels as 8-bit RGBA: for
// corpora of large sheets (few large tiles) and of very many tiny ones.
pngbuilder::PngRecipe sizedIconTile(int index, int tileSide);

// The tile's file name; names sort in index order.
std::string corpusTileName(int index);

// Writes the first `count` corpus tiles into `folder`, once: a folder that a finished earlier
// run left (marked by a sibling file "FOLDER.complete") is kept as it is. A `tileSide` above 0
// draws the icons that many pixels square instead (sizedIconTile).
void writeCorpusFolder(const std::filesystem::path &folder, int count,
    CorpusKind kind = CorpusKind::icons, int tileSide = 0);

struct Corpus
{
    CorpusKind kind = CorpusKind::icons;
    int count = 0;
    // Icons of this many pixels square; 0 for the kind's own tiles.
    int side = 0;
};

// A benchmark's command line, [WORKDIR] [COUNT...]: the work folder (made when missing; the
// system's temporary folder's "quiltmap-bench" by default) and the corpus sizes. With
// `withKinds` a count may be KIND:COUNT, and `corpora` holds every one (icons where no kind is
// named); with `withSides` a count may be sideS:COUNT, icons S x S pixels large. --help prints
// `about` and the usage and exits; an option, a kind not allowed or known, or a count that is no
// number from 1 up is refused with exit status 2, so that no typo becomes a work folder.
struct BenchArguments
{
    std::filesystem::path work;
    std::vector<int> counts;
    std::vector<Corpus> corpora;
};
BenchArguments benchArguments(int argc, char **argv, std::vector<int> defaultCounts,
    const char *about, bool withKinds = false, bool withSides = false);

} // namespace quiltmap::bench
