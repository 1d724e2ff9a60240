#pragma once

#include "sheet/raster.h"
#include "sheet/tile.h"

namespace quiltmap::sheet {

// Draws the tile with its top-left corner at (x, y), unscaled, clipped at the raster's edge.
void drawTile(Raster &raster, const Tile &tile, int x, int y);
// The same for the part of the tile that falls on the band's rows. Pixels do not depend on one
// another, so drawing a tile band by band gives the pixels drawing it whole gives.
void drawTile(const RasterBand &band, const Tile &tile, int x, int y);

} // namespace quiltmap::sheet
