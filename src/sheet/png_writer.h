#pragma once

#include "sheet/raster.h"

class QIODevice;

namespace quiltmap::sheet {

// Streams the raster as the sheet PNG: 8-bit RGB (RGBA for a raster with alpha), Sub filter on
// every row, one zlib stream
// (level 7, 15 window bits, memory level 8, default strategy) cut into IDAT chunks of exactly
// 65535 bytes but the last, and no ancillary chunks. Returns false when the device refuses a
// write (the caller reports it). Throws quiltmap::Error for an empty raster, which PNG cannot
// hold.
bool writeSheetPng(const Raster &raster, QIODevice &out);

} // namespace quiltmap::sheet
