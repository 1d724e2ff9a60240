#include "png_builder/png_builder.h"

#include "sheet/png_format.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <stdexcept>
#include <zlib.h>

namespace quiltmap::pngbuilder {
namespace {

using sheet::Adam7Pass;

unsigned bitsPerPixel(std::uint8_t colourType, std::uint8_t bitDepth)
{
    const unsigned samples = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
    return samples * bitDepth;
}

void putU32(std::vector<std::uint8_t> &out, std::uint32_t v)
{
    out.insert(out.end(),
        { std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v) });
}

// Copies pixel x of a packed row into pixel position outX of another packed row.
void copyPixel(
    const std::uint8_t *src, std::uint32_t x, std::uint8_t *dst, std::uint32_t outX, unsigned bits)
{
    if (bits >= 8) {
        const unsigned bytes = bits / 8;
        std::copy_n(src + std::size_t(x) * bytes, bytes, dst + std::size_t(outX) * bytes);
        return;
    }
    const unsigned mask = (1u << bits) - 1;
    const std::size_t inBit = std::size_t(x) * bits;
    const unsigned value = (src[inBit / 8] >> (8 - bits - inBit % 8)) & mask;
    const std::size_t outBit = std::size_t(outX) * bits;
    dst[outBit / 8] |= static_cast<std::uint8_t>(value << (8 - bits - outBit % 8));
}

std::uint8_t paethPredictor(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

void appendFiltered(std::vector<std::uint8_t> &out, const std::vector<std::uint8_t> &row,
    const std::vector<std::uint8_t> &prior, int filter, std::size_t bpp)
{
    out.push_back(static_cast<std::uint8_t>(filter));
    for (std::size_t i = 0; i < row.size(); ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0;
        const int b = prior[i];
        const int c = i >= bpp ? prior[i - bpp] : 0;
        int predicted = 0;
        switch (filter) {
        case 1:
            predicted = a;
            break;
        case 2:
            predicted = b;
            break;
        case 3:
            predicted = (a + b) / 2;
            break;
        case 4:
            predicted = paethPredictor(a, b, c);
            break;
        default:
            break;
        }
        out.push_back(static_cast<std::uint8_t>(row[i] - predicted));
    }
}

std::vector<std::uint8_t> compress(const std::vector<std::uint8_t> &raw, int level)
{
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> out(size);
    if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), level) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(size);
    return out;
}

} // namespace

std::vector<PngFormat> validPngFormats()
{
    return { { 0, 1 }, { 0, 2 }, { 0, 4 }, { 0, 8 }, { 0, 16 }, { 2, 8 }, { 2, 16 }, { 3, 1 },
        { 3, 2 }, { 3, 4 }, { 3, 8 }, { 4, 8 }, { 4, 16 }, { 6, 8 }, { 6, 16 } };
}

std::size_t scanlineBytes(std::uint32_t width, std::uint8_t colourType, std::uint8_t bitDepth)
{
    return (std::size_t(width) * bitsPerPixel(colourType, bitDepth) + 7) / 8;
}

std::vector<std::uint8_t> filteredScanlines(const PngRecipe &recipe)
{
    const unsigned bits = bitsPerPixel(recipe.colourType, recipe.bitDepth);
    const std::size_t fullRow = scanlineBytes(recipe.width, recipe.colourType, recipe.bitDepth);
    if (recipe.samples.size() != fullRow * recipe.height)
        throw std::invalid_argument("samples do not match the image size");
    const std::size_t bpp = std::max(1u, bits / 8);
    const std::vector<Adam7Pass> passes = recipe.interlaced
        ? std::vector<Adam7Pass>(sheet::adam7Passes.begin(), sheet::adam7Passes.end())
        : std::vector<Adam7Pass> { { 0, 0, 1, 1 } };
    std::vector<std::uint8_t> out;
    std::size_t rowIndex = 0;
    for (const Adam7Pass &pass : passes) {
        const std::uint32_t w = recipe.width > pass.xStart
            ? (recipe.width - pass.xStart + pass.xStep - 1) / pass.xStep
            : 0;
        const std::uint32_t h = recipe.height > pass.yStart
            ? (recipe.height - pass.yStart + pass.yStep - 1) / pass.yStep
            : 0;
        if (w == 0 || h == 0)
            continue;
        const std::size_t rowBytes = scanlineBytes(w, recipe.colourType, recipe.bitDepth);
        std::vector<std::uint8_t> prior(rowBytes, 0);
        for (std::uint32_t r = 0; r < h; ++r, ++rowIndex) {
            const std::uint8_t *src
                = recipe.samples.data() + (pass.yStart + std::size_t(r) * pass.yStep) * fullRow;
            std::vector<std::uint8_t> row(rowBytes, 0);
            for (std::uint32_t x = 0; x < w; ++x)
                copyPixel(src, pass.xStart + x * pass.xStep, row.data(), x, bits);
            const int filter = recipe.filter < 0 ? static_cast<int>(rowIndex % 5) : recipe.filter;
            appendFiltered(out, row, prior, filter, bpp);
            prior = row;
        }
    }
    return out;
}

std::vector<std::uint8_t> chunkBytes(const std::string &type, const std::vector<std::uint8_t> &data)
{
    std::vector<std::uint8_t> out;
    putU32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0, out.data() + 4, static_cast<uInt>(out.size() - 4));
    putU32(out, static_cast<std::uint32_t>(crc));
    return out;
}

std::vector<std::uint8_t> pngSignatureBytes()
{
    return { sheet::pngSignature.begin(), sheet::pngSignature.end() };
}

std::vector<std::uint8_t> buildPng(const PngRecipe &recipe)
{
    std::vector<PngChunk> chunks;
    std::vector<std::uint8_t> header;
    putU32(header, recipe.width);
    putU32(header, recipe.height);
    header.insert(header.end(),
        { recipe.bitDepth, recipe.colourType, 0, 0, std::uint8_t(recipe.interlaced ? 1 : 0) });
    chunks.push_back({ "IHDR", header });
    if (recipe.gamma) {
        std::vector<std::uint8_t> gamma;
        putU32(gamma, *recipe.gamma);
        chunks.push_back({ "gAMA", gamma });
    }
    if (!recipe.palette.empty())
        chunks.push_back({ "PLTE", recipe.palette });
    if (recipe.transparency)
        chunks.push_back({ "tRNS", *recipe.transparency });
    chunks.insert(
        chunks.end(), recipe.chunksBeforeImageData.begin(), recipe.chunksBeforeImageData.end());

    const std::vector<std::uint8_t> stream
        = compress(filteredScanlines(recipe), recipe.compressionLevel);
    const std::size_t piece = recipe.idatChunkSize == 0 ? std::max<std::size_t>(stream.size(), 1)
                                                        : recipe.idatChunkSize;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
        const auto end
            = stream.begin() + static_cast<std::ptrdiff_t>(std::min(stream.size(), at + piece));
        chunks.push_back({ "IDAT",
            std::vector<std::uint8_t>(stream.begin() + static_cast<std::ptrdiff_t>(at), end) });
    }
    chunks.insert(
        chunks.end(), recipe.chunksAfterImageData.begin(), recipe.chunksAfterImageData.end());
    if (recipe.writeEnd)
        chunks.push_back({ "IEND", {} });

    std::vector<std::uint8_t> file = pngSignatureBytes();
    bool corrupted = false;
    for (const PngChunk &chunk : chunks) {
        std::vector<std::uint8_t> bytes = chunkBytes(chunk.type, chunk.data);
        if (!corrupted && chunk.type == recipe.corruptCrcOf) {
            bytes.back() ^= 0xFF;
            corrupted = true;
        }
        file.insert(file.end(), bytes.begin(), bytes.end());
    }
    return file;
}

} // namespace quiltmap::pngbuilder
