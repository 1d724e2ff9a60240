// Writes the PNG decoder's seed corpus into the folder given as the first argument: every
// colour type and bit depth, interlaced and not, with transparency, gamma and odd chunk layouts.
#include "png_builder/png_builder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using quiltmap::pngbuilder::PngRecipe;

PngRecipe image(std::uint32_t width, std::uint32_t height, std::uint8_t colourType,
    std::uint8_t depth, bool interlaced)
{
    PngRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.colourType = colourType;
    recipe.bitDepth = depth;
    recipe.interlaced = interlaced;
    recipe.samples.resize(quiltmap::pngbuilder::scanlineBytes(width, colourType, depth) * height);
    for (std::size_t i = 0; i < recipe.samples.size(); ++i)
        recipe.samples[i] = static_cast<std::uint8_t>(i * 37 + i / 7);
    if (colourType == 3) {
        recipe.palette.resize(3u << depth);
        for (std::size_t i = 0; i < recipe.palette.size(); ++i)
            recipe.palette[i] = static_cast<std::uint8_t>(i * 11);
    }
    return recipe;
}

void write(const std::filesystem::path &folder, const std::string &name, const PngRecipe &recipe)
{
    const std::vector<std::uint8_t> bytes = quiltmap::pngbuilder::buildPng(recipe);
    std::ofstream(folder / (name + ".png"), std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::filesystem::create_directories(folder);

    for (const auto [type, depth] : quiltmap::pngbuilder::validPngFormats()) {
        for (bool interlaced : { false, true }) {
            const std::string name = "type" + std::to_string(type) + "_depth"
                + std::to_string(depth) + (interlaced ? "_adam7" : "");
            write(folder, name, image(9, 7, type, depth, interlaced));
        }
    }

    PngRecipe key = image(6, 4, 2, 16, false);
    key.transparency = std::vector<std::uint8_t> { 0, 1, 0, 2, 0, 3 };
    key.gamma = 45455;
    write(folder, "colour_key_gamma", key);
    PngRecipe greyKey = image(6, 4, 0, 2, true);
    greyKey.transparency = std::vector<std::uint8_t> { 0, 2 };
    write(folder, "grey_key", greyKey);
    PngRecipe paletteAlpha = image(8, 8, 3, 4, false);
    paletteAlpha.transparency = std::vector<std::uint8_t> { 0, 64, 128, 255 };
    write(folder, "palette_alpha", paletteAlpha);
    PngRecipe paletteKey = image(8, 8, 3, 8, false);
    paletteKey.transparency = std::vector<std::uint8_t> { 255, 255, 0 };
    write(folder, "palette_key", paletteKey);
    PngRecipe split = image(48, 48, 6, 8, false);
    split.idatChunkSize = 50;
    split.chunksBeforeImageData = { { "tEXt", { 'k', 0, 'v' } } };
    split.chunksAfterImageData = { { "tIME", { 7, 234, 12, 9, 7, 0, 0 } } };
    write(folder, "rgba_48_split", split);
    PngRecipe noEnd = image(3, 3, 2, 8, false);
    noEnd.writeEnd = false;
    write(folder, "no_end", noEnd);
    PngRecipe badCrc = image(3, 3, 4, 8, false);
    badCrc.corruptCrcOf = "IDAT";
    write(folder, "bad_crc", badCrc);
    PngRecipe badFilter = image(3, 3, 0, 8, false);
    badFilter.filter = 7;
    write(folder, "bad_filter", badFilter);
    return 0;
}
