#include "busy_animation/ani_builder.h"

namespace quiltmap::anibuilder {

namespace {

constexpr int BitmapHeaderSize = 40;

int strideFor(int width, int bitCount)
{
    return (width * bitCount + 31) / 32 * 4;
}

// Packs one row of samples of bitCount bits each, most significant bits first, padded to 4 bytes.
QByteArray packedRow(const quint32 *samples, int width, int bitCount)
{
    QByteArray row(strideFor(width, bitCount), '\0');
    for (int x = 0; x < width; ++x) {
        const quint32 value = samples[x];
        if (bitCount >= 24) {
            for (int byte = 0; byte < bitCount / 8; ++byte)
                row[x * bitCount / 8 + byte] = char(value >> (8 * byte) & 0xFF);
        } else {
            const int bit = x * bitCount;
            const int shift = 8 - bitCount - bit % 8;
            row[bit / 8] = char(row[bit / 8] | int(value << shift));
        }
    }
    return row;
}

} // namespace

QByteArray littleEndian16(int value)
{
    const char bytes[] = { char(value & 0xFF), char(value >> 8 & 0xFF) };
    return QByteArray(bytes, 2);
}

QByteArray littleEndian32(qint64 value)
{
    return littleEndian16(int(value & 0xFFFF)) + littleEndian16(int(value >> 16 & 0xFFFF));
}

QByteArray chunk(QByteArrayView id, const QByteArray &payload)
{
    return chunk(id, qint32(payload.size()), payload);
}

QByteArray chunk(QByteArrayView id, qint32 declaredSize, const QByteArray &payload)
{
    return id.toByteArray() + littleEndian32(declaredSize) + payload;
}

QByteArray riffAcon(const QByteArray &chunks)
{
    return chunk("RIFF", "ACON" + chunks);
}

QByteArray aniHeaderChunk(const AniHeader &header)
{
    QByteArray fields;
    for (const qint64 field : { qint64(36), qint64(header.frames), qint64(header.steps), qint64(0),
             qint64(0), qint64(0), qint64(0), qint64(header.jifRate), qint64(header.flags) })
        fields += littleEndian32(field);
    return chunk("anih", fields);
}

QByteArray frameList(const QList<QByteArray> &iconFiles)
{
    QByteArray frames("fram");
    for (const QByteArray &file : iconFiles)
        frames += chunk("icon", file);
    return chunk("LIST", frames);
}

QByteArray cursorFile(const QByteArray &image, const CursorEntry &entry)
{
    QByteArray file = littleEndian16(0) + littleEndian16(2) + littleEndian16(1);
    file += char(entry.width);
    file += char(entry.height);
    file += littleEndian16(0);
    file += littleEndian16(entry.hotSpotX) + littleEndian16(entry.hotSpotY);
    file += littleEndian32(image.size()) + littleEndian32(entry.imageOffset);
    if (entry.imageOffset > DirectorySize)
        file += QByteArray(qsizetype(entry.imageOffset - DirectorySize), '\0');
    return file + image;
}

QByteArray iconBitmap(int width, int height, int bitCount, const std::vector<quint32> &palette,
    const std::vector<quint32> &pixels, const std::vector<bool> &masked)
{
    const int colourBytes = strideFor(width, bitCount) * height;
    const int maskBytes = strideFor(width, 1) * height;
    QByteArray bitmap;
    // Size, width, height of colour and mask rows, 1 plane, bits per pixel, uncompressed, image
    // size, resolution, colours used, colours important.
    for (const qint64 field : { qint64(BitmapHeaderSize), qint64(width), qint64(2 * height),
             qint64(1 | bitCount << 16), qint64(0), qint64(colourBytes + maskBytes), qint64(0),
             qint64(0), qint64(palette.size()), qint64(0) })
        bitmap += littleEndian32(field);
    for (const quint32 colour : palette)
        bitmap += littleEndian32(colour & 0xFFFFFF);
    for (int y = height - 1; y >= 0; --y)
        bitmap += packedRow(pixels.data() + std::size_t(y) * width, width, bitCount);
    std::vector<quint32> maskRow(std::size_t(width), 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x)
            maskRow[std::size_t(x)] = masked[std::size_t(y) * width + x] ? 1 : 0;
        bitmap += packedRow(maskRow.data(), width, 1);
    }
    return bitmap;
}

} // namespace quiltmap::anibuilder
