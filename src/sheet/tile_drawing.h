#pragma once

#include "sheet/raster.h"
#include "sheet/tile.h"

namespace quiltmap::sheet {

// Draws the tile with its top-left corner at (x, y), unscaled, clipped at the raster's edge.
void drawTile(Raster &raster, const Tile &tile, int x, int y);

} // namespace quiltmap::sheet
