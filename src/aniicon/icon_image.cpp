#include "aniicon/icon_image.h"

#include "aniicon/chunk_cursor.h"
#include "common/error.h"
#include "sheet/png_format.h"
#include "sheet/png_reader.h"

#include <algorithm>
#include <array>

namespace quiltmap::aniicon {

namespace {

constexpr quint32 Opaque = 0xFF000000u;
constexpr qint64 InfoHeaderSize = 40;

struct BitmapLayout
{
    int width = 0;
    int height = 0;
    int bitCount = 0;
    qint64 paletteOffset = 0;
    qint64 paletteCount = 0;
    qint64 colourOffset = 0;
    qint64 colourStride = 0;
    qint64 maskOffset = 0;
    qint64 maskStride = 0;
};

qint32 int32At(QByteArrayView bytes, qint64 offset)
{
    return static_cast<qint32>(littleEndian32(bytes.sliced(offset, 4)));
}

int uint16At(QByteArrayView bytes, qint64 offset)
{
    return static_cast<unsigned char>(bytes[offset])
        | static_cast<unsigned char>(bytes[offset + 1]) << 8;
}

qint64 strideFor(qint64 width, int bitCount)
{
    return (width * bitCount + 31) / 32 * 4;
}

// Checks the header and that the palette, colour rows and mask rows all lie inside the bytes.
bool readLayout(QByteArrayView bytes, BitmapLayout &layout)
{
    if (bytes.size() < InfoHeaderSize)
        return false;
    const qint64 headerSize = littleEndian32(bytes);
    const qint32 width = int32At(bytes, 4);
    // The height counts the colour rows and the mask rows together.
    const qint32 doubleHeight = int32At(bytes, 8);
    const int bitCount = uint16At(bytes, 14);
    const quint32 compression = littleEndian32(bytes.sliced(16, 4));
    const quint32 coloursUsed = littleEndian32(bytes.sliced(32, 4));
    constexpr std::array supportedDepths { 1, 4, 8, 24, 32 };
    if (headerSize < InfoHeaderSize || headerSize > bytes.size() || compression != 0
        || std::find(supportedDepths.begin(), supportedDepths.end(), bitCount)
            == supportedDepths.end())
        return false;
    if (width < 1 || width > MaxIconSide || doubleHeight < 2 || doubleHeight > 2 * MaxIconSide)
        return false;
    const qint64 maxPalette = bitCount <= 8 ? qint64(1) << bitCount : MaxIconSide;
    if (coloursUsed > maxPalette)
        return false;
    layout.width = width;
    layout.height = doubleHeight / 2;
    layout.bitCount = bitCount;
    layout.paletteOffset = headerSize;
    layout.paletteCount = coloursUsed != 0 || bitCount > 8 ? coloursUsed : maxPalette;
    layout.colourOffset = layout.paletteOffset + layout.paletteCount * 4;
    layout.colourStride = strideFor(width, bitCount);
    layout.maskOffset = layout.colourOffset + layout.colourStride * layout.height;
    layout.maskStride = strideFor(width, 1);
    return layout.maskOffset + layout.maskStride * layout.height <= bytes.size();
}

quint32 bgrAt(const unsigned char *p)
{
    return quint32(p[2]) << 16 | quint32(p[1]) << 8 | quint32(p[0]);
}

// The colour of pixel x of a colour row, alpha included only for 32 bits per pixel.
quint32 colourAt(QByteArrayView bytes, const BitmapLayout &layout, const unsigned char *row, int x)
{
    switch (layout.bitCount) {
    case 32:
        return quint32(row[4 * x + 3]) << 24 | bgrAt(row + 4 * x);
    case 24:
        return bgrAt(row + 3 * x);
    default: {
        const int perByte = 8 / layout.bitCount;
        const int shift = 8 - layout.bitCount * (x % perByte + 1);
        const int index = row[x / perByte] >> shift & ((1 << layout.bitCount) - 1);
        if (index >= layout.paletteCount)
            return 0;
        const auto *palette
            = reinterpret_cast<const unsigned char *>(bytes.data() + layout.paletteOffset);
        return bgrAt(palette + 4 * index);
    }
    }
}

// Whether a 32-bit colour area carries any alpha; without it the mask decides transparency.
bool hasAlpha(QByteArrayView bytes, const BitmapLayout &layout)
{
    const qint64 end = layout.colourOffset + layout.colourStride * layout.height;
    for (qint64 i = layout.colourOffset + 3; i < end; i += 4) {
        if (bytes[i] != 0)
            return true;
    }
    return false;
}

ArgbImage decodeBitmap(QByteArrayView bytes)
{
    BitmapLayout layout;
    if (!readLayout(bytes, layout))
        return {};
    const bool useAlpha = layout.bitCount == 32 && hasAlpha(bytes, layout);
    ArgbImage image;
    image.width = layout.width;
    image.height = layout.height;
    image.pixels.reserve(static_cast<std::size_t>(layout.width) * layout.height);
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    // Rows are stored bottom-up.
    for (qint64 stored = layout.height - 1; stored >= 0; --stored) {
        const unsigned char *colours = data + layout.colourOffset + stored * layout.colourStride;
        const unsigned char *mask = data + layout.maskOffset + stored * layout.maskStride;
        for (int x = 0; x < layout.width; ++x) {
            const quint32 colour = colourAt(bytes, layout, colours, x);
            const bool masked = (mask[x / 8] >> (7 - x % 8) & 1) != 0;
            quint32 pixel = useAlpha ? colour : masked ? 0 : colour | Opaque;
            if ((pixel & Opaque) == 0)
                pixel = 0;
            image.pixels.push_back(pixel);
        }
    }
    return image;
}

bool isPng(QByteArrayView bytes)
{
    return bytes.startsWith(QByteArrayView(sheet::pngSignature));
}

ArgbImage decodePngImage(QByteArrayView bytes)
{
    sheet::PngLimits limits;
    limits.maxWidth = MaxIconSide;
    limits.maxHeight = MaxIconSide;
    limits.maxPixels = MaxIconSide * MaxIconSide;
    limits.maxDecodedBytes = 16 * limits.maxPixels;
    sheet::Tile tile;
    try {
        tile = sheet::decodePng({ reinterpret_cast<const std::uint8_t *>(bytes.data()),
                                    static_cast<std::size_t>(bytes.size()) },
            limits);
    } catch (const Error &) {
        return {};
    }
    ArgbImage image;
    image.width = tile.width();
    image.height = tile.height();
    image.pixels.reserve(static_cast<std::size_t>(tile.width()) * tile.height());
    const bool hasAlpha = tile.channels() == 4;
    for (int y = 0; y < tile.height(); ++y) {
        const std::uint8_t *p = tile.row(y);
        for (int x = 0; x < tile.width(); ++x, p += tile.channels()) {
            const quint32 alpha = hasAlpha ? p[3] : 0xFF;
            image.pixels.push_back(
                alpha == 0 ? 0 : alpha << 24 | quint32(p[0]) << 16 | quint32(p[1]) << 8 | p[2]);
        }
    }
    return image;
}

} // namespace

ArgbImage decodeIconImage(QByteArrayView bytes)
{
    return isPng(bytes) ? decodePngImage(bytes) : decodeBitmap(bytes);
}

} // namespace quiltmap::aniicon
