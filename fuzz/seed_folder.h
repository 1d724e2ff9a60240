#pragma once

#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <string_view>

// Writes each seed as its own file, seed0, seed1, ..., into the folder, which is made first.
inline void writeSeeds(const std::filesystem::path &folder, std::span<const std::string_view> seeds)
{
    std::filesystem::create_directories(folder);
    for (std::size_t i = 0; i < seeds.size(); ++i) {
        std::ofstream out(folder / ("seed" + std::to_string(i)), std::ios::binary);
        out.write(seeds[i].data(), std::streamsize(seeds[i].size()));
    }
}
