#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Encodes PNG files of any kind for tests, fuzz seeds and the benchmark corpus, including
// deliberately damaged ones. Not part of the shipped programs.
namespace quiltmap::pngbuilder {

struct PngChunk
{
    std::string type; // four letters, written as they are
    std::vector<std::uint8_t> data;
};

struct PngRecipe
{
    std::uint32_t width = 1;
    std::uint32_t height = 1;
    std::uint8_t colourType = 6;
    std::uint8_t bitDepth = 8;
    bool interlaced = false;
    // The image's rows from top to bottom, each packed as PNG scanline samples without the filter
    // byte: scanlineBytes(width, colourType, bitDepth) bytes per row, 16-bit samples big-endian.
    // With interlacing the builder splits these rows into the Adam7 passes itself.
    std::vector<std::uint8_t> samples;
    std::vector<std::uint8_t> palette; // PLTE data (RGB triples); no PLTE chunk when empty
    std::optional<std::vector<std::uint8_t>> transparency; // tRNS data
    std::optional<std::uint32_t> gamma; // gAMA value (gamma times 100000)
    std::vector<PngChunk> chunksBeforeImageData; // written after PLTE/tRNS, before IDAT
    std::vector<PngChunk> chunksAfterImageData; // written after IDAT, before IEND
    // Filter type for every row, or -1 to cycle through types 0..4 row by row.
    int filter = -1;
    int compressionLevel = 6;
    // Bytes per IDAT chunk; 0 puts the whole stream into one chunk.
    std::size_t idatChunkSize = 0;
    // When set, the chunk of this type (the first one) gets a wrong CRC.
    std::string corruptCrcOf;
    bool writeEnd = true;
};

struct PngFormat
{
    std::uint8_t colourType;
    std::uint8_t bitDepth;
};

// Every colour type with every bit depth the format allows for it.
std::vector<PngFormat> validPngFormats();

std::size_t scanlineBytes(std::uint32_t width, std::uint8_t colourType, std::uint8_t bitDepth);

// The filtered scanlines (filter byte + row per pass) before compression.
std::vector<std::uint8_t> filteredScanlines(const PngRecipe &recipe);

// The complete file. The samples must hold height rows of scanlineBytes(...) bytes.
std::vector<std::uint8_t> buildPng(const PngRecipe &recipe);

// One chunk with its length and CRC, for assembling files by hand.
std::vector<std::uint8_t> chunkBytes(
    const std::string &type, const std::vector<std::uint8_t> &data);

// The 8-byte PNG signature.
std::vector<std::uint8_t> pngSignatureBytes();

} // namespace quiltmap::pngbuilder
