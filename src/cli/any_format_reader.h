#pragma once

#include "sheet/tile_reader.h"

namespace quiltmap::cli {

// Reads a file by its content: PNG data through our own reader, so PNG tiles stay exactly as
// they are; anything else through the image formats Qt and its installed plugins read (JPEG,
// BMP, GIF, WebP and more).
class AnyFormatReader : public sheet::TileReader
{
public:
    sheet::Tile read(const QString &path) override;
    QSize readSize(const QString &path) const override;
};

} // namespace quiltmap::cli
