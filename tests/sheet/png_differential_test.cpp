// Our PNG reader against libspng, an independent reader: the same samples for every valid file
// of a generated corpus, and a list of the files on which they deliberately disagree.
#include "png_differential.h"
#include "png_test_images.h"

#include <gtest/gtest.h>

namespace quiltmap::sheet::test {
namespace {

using pngbuilder::buildPng;
using pngbuilder::PngRecipe;
using namespace pngdiff;

std::vector<std::uint16_t> firstPixelSamples(const PngRecipe &recipe)
{
    const unsigned count = recipe.colourType == 2 ? 3 : 1;
    std::vector<std::uint16_t> samples;
    for (unsigned c = 0; c < count; ++c) {
        if (recipe.bitDepth == 16)
            samples.push_back(
                std::uint16_t(recipe.samples[2 * c] << 8 | recipe.samples[2 * c + 1]));
        else
            samples.push_back(std::uint16_t(recipe.samples[0] >> (8 - recipe.bitDepth)));
    }
    return samples;
}

// A colour key that the first pixel matches, as tRNS data of a grey or colour image.
Bytes keyOfFirstPixel(const PngRecipe &recipe)
{
    Bytes key;
    for (std::uint16_t sample : firstPixelSamples(recipe))
        key.insert(key.end(), { std::uint8_t(sample >> 8), std::uint8_t(sample) });
    return key;
}

struct NamedFile
{
    std::string name;
    Bytes file;
};

std::string describe(const PngRecipe &recipe)
{
    return "type " + std::to_string(recipe.colourType) + " depth " + std::to_string(recipe.bitDepth)
        + " " + std::to_string(recipe.width) + "x" + std::to_string(recipe.height)
        + (recipe.interlaced ? " Adam7" : "")
        + (recipe.gamma ? " gamma " + std::to_string(*recipe.gamma) : "")
        + (recipe.transparency ? " tRNS" : "");
}

Bytes withChunks(PngRecipe recipe, std::vector<pngbuilder::PngChunk> before,
    std::vector<pngbuilder::PngChunk> after = {})
{
    recipe.chunksBeforeImageData = std::move(before);
    recipe.chunksAfterImageData = std::move(after);
    return buildPng(recipe);
}

// Every colour type, bit depth and interlace method, in sizes that fill the Adam7 passes
// differently, each plain, with gamma, and with each kind of transparency its type has; then
// files with damaged or misplaced ancillary chunks, which both readers ignore.
std::vector<NamedFile> corpus()
{
    std::vector<PngRecipe> recipes;
    unsigned seed = 1;
    for (const auto [type, depth] : pngbuilder::validPngFormats())
        for (bool interlaced : { false, true })
            for (const auto &[width, height] :
                { std::pair(1u, 1u), std::pair(9u, 7u), std::pair(33u, 5u) }) {
                const PngRecipe plain = randomImage(width, height, type, depth, interlaced, ++seed);
                recipes.push_back(plain);
                for (std::uint32_t gamma : { 45455u, 100000u, 220000u }) {
                    recipes.push_back(plain);
                    recipes.back().gamma = gamma;
                }
                if (type == 0 || type == 2) {
                    recipes.push_back(plain);
                    recipes.back().transparency = keyOfFirstPixel(plain);
                }
                if (type == 3) {
                    const std::size_t entries = plain.palette.size() / 3;
                    for (Bytes alpha : { Bytes { 0 }, Bytes { 255, 0, 255 }, Bytes { 10, 128, 0 },
                             Bytes(entries, 200) }) {
                        recipes.push_back(plain);
                        alpha.resize(std::min(alpha.size(), entries));
                        recipes.back().transparency = alpha;
                    }
                }
            }
    std::vector<NamedFile> files;
    for (const PngRecipe &recipe : recipes)
        files.push_back({ describe(recipe), buildPng(recipe) });

    const PngRecipe rgb = randomImage(5, 4, 2, 8, false, 3);
    PngRecipe zeroGamma = rgb;
    zeroGamma.gamma = 0;
    PngRecipe rgbaWithKey = randomImage(5, 4, 6, 8, false, 4);
    rgbaWithKey.transparency = Bytes(6, 0);
    PngRecipe shortKey = rgb;
    shortKey.transparency = Bytes(4, 0);
    const Bytes key(6, 0);
    files.insert(files.end(),
        { { "transparency after the image data", withChunks(rgb, {}, { { "tRNS", key } }) },
            { "two transparency chunks", withChunks(rgb, { { "tRNS", key }, { "tRNS", key } }) },
            { "gamma after the image data",
                withChunks(rgb, {}, { { "gAMA", { 0, 0, 177, 143 } } }) },
            { "short gamma", withChunks(rgb, { { "gAMA", { 0, 177, 143 } } }) },
            { "gamma of zero", buildPng(zeroGamma) },
            { "gamma beyond 31 bits", withChunks(rgb, { { "gAMA", { 0x80, 0, 0, 1 } } }) },
            { "colour key in an image with alpha", buildPng(rgbaWithKey) },
            { "colour key of the wrong size", buildPng(shortKey) } });
    return files;
}

TEST(PngDifferential, EveryFileOfTheCorpusDecodesToTheSameSamples)
{
    const std::vector<NamedFile> files = corpus();
    for (const NamedFile &file : files) {
        SCOPED_TRACE(file.name);
        const Decoded ours = decodeWithQuiltMap(bytesOf(file.file));
        const Decoded reference = decodeWithSpng(bytesOf(file.file));
        ASSERT_TRUE(ours.samples) << ours.refusal;
        ASSERT_TRUE(reference.samples) << reference.refusal;
        ASSERT_EQ(firstDifference(*ours.samples, *reference.samples), "");
    }
    std::printf("%zu files decode alike\n", files.size());
}

enum class Outcome { OnlyOursAccepts, OnlyReferenceAccepts, SamplesDiffer };

struct IntendedDifference
{
    const char *name;
    Bytes file;
    Outcome outcome;
    // Why our reader does what it does.
    const char *reason;
};

std::vector<IntendedDifference> intendedDifferences()
{
    const PngRecipe rgb = randomImage(5, 4, 2, 8, false, 3);
    const PngRecipe palette = randomImage(5, 4, 3, 2, false, 5);
    PngRecipe longPalette = palette;
    longPalette.palette.resize(3 * 8, 9);
    PngRecipe longAlpha = palette;
    longAlpha.transparency = Bytes(6, 100);
    PngRecipe noEnd = rgb;
    noEnd.writeEnd = false;
    PngRecipe badAncillaryCrc = rgb;
    badAncillaryCrc.chunksAfterImageData = { { "tEXt", { 'a', 0 } } };
    badAncillaryCrc.corruptCrcOf = "tEXt";
    return {
        { "palette longer than the bit depth can index", buildPng(longPalette),
            Outcome::OnlyOursAccepts,
            "no pixel can reach the extra entries; common decoders read such files" },
        { "transparency longer than the palette", buildPng(longAlpha), Outcome::SamplesDiffer,
            "the entries that belong to palette colours are used, the rest ignored; libspng drops "
            "the whole chunk" },
        { "no end chunk", buildPng(noEnd), Outcome::OnlyReferenceAccepts,
            "a file cut short fails as a whole, whatever its data" },
        { "damaged ancillary chunk", buildPng(badAncillaryCrc), Outcome::OnlyReferenceAccepts,
            "every chunk's CRC is checked: a damaged file fails" },
    };
}

TEST(PngDifferential, ReadersDisagreeOnlyWhereIntended)
{
    for (const IntendedDifference &difference : intendedDifferences()) {
        SCOPED_TRACE(std::string(difference.name) + ": " + difference.reason);
        const Decoded ours = decodeWithQuiltMap(bytesOf(difference.file));
        const Decoded reference = decodeWithSpng(bytesOf(difference.file));
        EXPECT_EQ(ours.samples.has_value(), difference.outcome != Outcome::OnlyReferenceAccepts)
            << ours.refusal;
        EXPECT_EQ(reference.samples.has_value(), difference.outcome != Outcome::OnlyOursAccepts)
            << reference.refusal;
        EXPECT_EQ(samplesDifferByIntent(bytesOf(difference.file)),
            difference.outcome == Outcome::SamplesDiffer);
        if (ours.samples && reference.samples) {
            EXPECT_NE(firstDifference(*ours.samples, *reference.samples), "");
        }
    }
}

} // namespace
} // namespace quiltmap::sheet::test
