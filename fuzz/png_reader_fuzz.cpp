// Feeds arbitrary bytes to the PNG decoder: it must either decode or fail with quiltmap::Error.
#include "common/error.h"
#include "sheet/png_reader.h"

#include <cstddef>
#include <cstdint>
#include <vector>
#include <zlib.h>

namespace {

void decode(const std::uint8_t *data, std::size_t size)
{
    // Small limits keep every input's memory bounded, so the fuzzer explores instead of allocating.
    quiltmap::sheet::PngLimits limits;
    limits.maxWidth = 4096;
    limits.maxHeight = 4096;
    limits.maxPixels = 1 << 20;
    limits.maxDecodedBytes = 16 << 20;
    try {
        const quiltmap::sheet::Tile tile = quiltmap::sheet::decodePng({ data, size }, limits);
        // Touch the last pixel so a short pixel buffer shows up under the sanitizers.
        volatile std::uint8_t last = tile.row(tile.height() - 1)[tile.bytesPerRow() - 1];
        (void)last;
    } catch (const quiltmap::Error &) { }
}

// Mutations rarely keep a chunk's CRC right; rewriting the CRCs lets them reach the code behind.
std::vector<std::uint8_t> withFixedCrcs(const std::uint8_t *data, std::size_t size)
{
    std::vector<std::uint8_t> file(data, data + size);
    std::size_t at = 8;
    while (at <= file.size() && file.size() - at >= 12) {
        const std::uint8_t *p = file.data() + at;
        const std::size_t length
            = std::size_t(p[0]) << 24 | std::size_t(p[1]) << 16 | std::size_t(p[2]) << 8 | p[3];
        if (length > file.size() - at - 12)
            break;
        const uLong crc = crc32(0, p + 4, uInt(length + 4));
        std::uint8_t *out = file.data() + at + 8 + length;
        out[0] = std::uint8_t(crc >> 24);
        out[1] = std::uint8_t(crc >> 16);
        out[2] = std::uint8_t(crc >> 8);
        out[3] = std::uint8_t(crc);
        at += length + 12;
    }
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    decode(data, size);
    const std::vector<std::uint8_t> fixed = withFixedCrcs(data, size);
    decode(fixed.data(), fixed.size());
    return 0;
}
