#include "sheet/tile_reader.h"

#include "sheet/png_reader.h"

namespace quiltmap::sheet {
namespace {

class PngTileReader : public TileReader
{
public:
    Tile read(const QString &path) override { return readPngFile(path); }
    QSize readSize(const QString &path) const override { return readPngFileSize(path); }
};

} // namespace

TileReader &pngTileReader()
{
    // Keeps nothing between reads, so every thread may use it at once.
    static PngTileReader reader;
    return reader;
}

} // namespace quiltmap::sheet
