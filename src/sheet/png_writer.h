#pragma once

#include "sheet/raster.h"
#include "sheet/sheet_rows.h"

class QIODevice;

namespace quiltmap::sheet {

// Streams the raster as the sheet PNG: 8-bit RGB (RGBA for a raster with alpha), Sub filter on
// every row, one zlib stream (level 7, 15 window bits, memory level 8, default strategy) cut into
// IDAT chunks of exactly 65535 bytes but the last, and no ancillary chunks. The raster must not
// be empty, as PNG cannot hold that. Returns false when the device refuses a write (the caller
// reports it, with the device's reason); that is the only failure it reports. The stream is
// the classic zlib's, byte for byte, written by our own deflate on `threads` threads.
bool writeSheetPng(const Raster &raster, QIODevice &out, unsigned threads = 1);
// The same for rows that may still be being drawn: what rows.row() throws leaves here too.
bool writeSheetPng(SheetRows &rows, QIODevice &out, unsigned threads = 1);

} // namespace quiltmap::sheet
