#pragma once

#include "sheet/tile.h"

#include <cstdint>
#include <span>

class QSize;
class QString;

namespace quiltmap::sheet {

// Bounds a PNG header may claim before the reader allocates anything for it.
struct PngLimits
{
    std::uint32_t maxWidth = 1'000'000;
    std::uint32_t maxHeight = 1'000'000;
    std::uint64_t maxPixels = std::uint64_t(1) << 27;
    // Inflated scanline bytes plus the decoded tile's bytes.
    std::uint64_t maxDecodedBytes = std::uint64_t(1) << 30;
    // Largest file readPngFile reads into memory.
    std::uint64_t maxFileBytes = std::uint64_t(1) << 30;
};

// Decodes a whole PNG file held in memory: every colour type, bit depth and interlace method,
// with PLTE, tRNS and gAMA. Throws quiltmap::Error with the user-visible message on any fault.
Tile decodePng(std::span<const std::uint8_t> bytes, const PngLimits &limits = {});

// Reads no more of the file than its header and returns the width and height it states, after
// the same checks of signature and header as decoding. Throws quiltmap::Error.
QSize readPngFileSize(const QString &path, const PngLimits &limits = {});

// Reads the file completely and decodes it. A file that cannot be opened fails with
// "Datei <path> kann nicht geöffnet werden. <reason>".
Tile readPngFile(const QString &path, const PngLimits &limits = {});

} // namespace quiltmap::sheet
