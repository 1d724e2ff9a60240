#pragma once

#include "sheet/raster.h"
#include "sheet/rows_ready.h"

class QIODevice;

namespace quiltmap::sheet {

// Streams the raster as the sheet PNG: 8-bit RGB (RGBA for a raster with alpha), Sub filter on
// every row, one zlib stream (level 7, 15 window bits, memory level 8, default strategy) cut into
// IDAT chunks of exactly 65535 bytes but the last, and no ancillary chunks. The raster must not
// be empty, as PNG cannot hold that. Returns false when the device refuses a write (the caller
// reports it, with the device's reason); that is the only failure it reports. The stream is
// the classic zlib's, byte for byte, written by our own deflate on `threads` threads.
// Given `ready`, rows are read only once it says they are final; RowsReady::Abandoned then
// leaves here too.
bool writeSheetPng(
    const Raster &raster, QIODevice &out, unsigned threads = 1, const RowsReady *ready = nullptr);

} // namespace quiltmap::sheet
