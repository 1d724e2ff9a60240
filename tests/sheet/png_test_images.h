#pragma once

#include "png_builder/png_builder.h"
#include "sheet/tile.h"

#include <cstdint>
#include <random>
#include <span>
#include <vector>

// Shared helpers of the PNG codec tests: random images and pixel access.
namespace quiltmap::sheet::test {

using Bytes = std::vector<std::uint8_t>;

// A recipe with random samples of the given format; palette images get 2^depth random colours.
inline pngbuilder::PngRecipe randomImage(std::uint32_t width, std::uint32_t height,
    std::uint8_t colourType, std::uint8_t bitDepth, bool interlaced, unsigned seed = 1)
{
    std::mt19937 random(seed);
    pngbuilder::PngRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.colourType = colourType;
    recipe.bitDepth = bitDepth;
    recipe.interlaced = interlaced;
    recipe.samples.resize(pngbuilder::scanlineBytes(width, colourType, bitDepth) * height);
    for (auto &b : recipe.samples)
        b = static_cast<std::uint8_t>(random());
    if (colourType == 3) {
        recipe.palette.resize(3u << bitDepth);
        for (auto &b : recipe.palette)
            b = static_cast<std::uint8_t>(random());
    }
    return recipe;
}

inline std::span<const std::uint8_t> bytesOf(const Bytes &bytes)
{
    return { bytes.data(), bytes.size() };
}

// Pixel (x, y) of a tile as red, green, blue, alpha; tiles without alpha give 255.
inline std::array<std::uint8_t, 4> tilePixel(const Tile &tile, int x, int y)
{
    const std::uint8_t *p = tile.row(y) + std::size_t(x) * tile.channels();
    return { p[0], p[1], p[2], tile.channels() == 4 ? p[3] : std::uint8_t(255) };
}

} // namespace quiltmap::sheet::test
