#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quiltmap::bench {

// One run of the quiltmap executable: wall and processor seconds, peak memory.
struct ChildRun
{
    double seconds = 0;
    double cpu = 0;
    long peakKiB = 0;
};

// Runs `quiltmap --quiet --output BASE [options...] FOLDER`; throws when it fails.
ChildRun runQuiltmap(const std::filesystem::path &folder, const std::filesystem::path &outputBase,
    const std::vector<std::string> &options = {});

} // namespace quiltmap::bench
