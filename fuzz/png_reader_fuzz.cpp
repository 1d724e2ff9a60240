// Feeds arbitrary bytes to the PNG decoder: it must either decode or fail with quiltmap::Error.
#include "common/error.h"
#include "png_crcs.h"
#include "sheet/png_reader.h"

#include <cstddef>
#include <cstdint>
#include <vector>

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    decode(data, size);
    const std::vector<std::uint8_t> fixed = quiltmap::fuzz::withFixedCrcs(data, size);
    decode(fixed.data(), fixed.size());
    return 0;
}
