#pragma once

#include <filesystem>
#include <vector>

namespace quiltmap::bench {

// The work any zlib-bound sheet builder must do, in seconds: reading every tile file of the
// folder and inflating its image data, and deflating the sheet's filtered scanlines at level 7
// (15 window bits, memory level 8, default strategy).
struct FloorTimes
{
    double inflateTiles = 0;
    double deflateSheet = 0;
    // Processor time of both, user and system: steadier than wall time on a busy machine.
    double cpu = 0;
    double total() const { return inflateTiles + deflateSheet; }
};

// Reads every file of `folder` and inflates its image data; returns the wall and processor
// seconds it took as `inflateTiles` and `cpu`.
FloorTimes measureTileInflate(const std::filesystem::path &folder);

// Measures the floor for the tiles of `folder` and the scanlines of the finished sheet file.
FloorTimes measureFloor(const std::filesystem::path &folder, const std::filesystem::path &sheetPng);

// The image data of a PNG file inflated: for the sheet, its filtered scanlines. Also gives the
// width and height from its header.
std::vector<unsigned char> inflatedImageData(
    const std::filesystem::path &png, int *width = nullptr, int *height = nullptr);

} // namespace quiltmap::bench
