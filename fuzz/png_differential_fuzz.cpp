// Decodes arbitrary bytes with our PNG reader and with libspng: wherever both accept a file, their
// samples must agree; any disagreement stops the run as a finding.
#include "png_crcs.h"
#include "png_differential.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace quiltmap::pngdiff;
    const std::vector<std::uint8_t> file = quiltmap::fuzz::withFixedCrcs(data, size);
    const Decoded ours = decodeWithQuiltMap(file);
    const Decoded reference = decodeWithSpng(file);
    if (ours.samples && reference.samples && !samplesDifferByIntent(file)) {
        const std::string difference = firstDifference(*ours.samples, *reference.samples);
        if (!difference.empty()) {
            std::fprintf(stderr, "the readers disagree at %s\n", difference.c_str());
            std::abort();
        }
    }
    return 0;
}
