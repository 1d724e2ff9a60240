#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QtGlobal>
#include <vector>

// Writes animated-cursor files and their parts byte by byte, including deliberately odd ones, for
// the shipped animation, tests and fuzz seeds. Not part of the shipped programs.
namespace quiltmap::anibuilder {

inline constexpr quint32 DirectorySize = 22;

QByteArray littleEndian16(int value);
QByteArray littleEndian32(qint64 value);

// A chunk: identifier (4 bytes as given), size and payload; no pad byte is added.
QByteArray chunk(QByteArrayView id, const QByteArray &payload);
// A chunk whose size field says declaredSize whatever the payload holds.
QByteArray chunk(QByteArrayView id, qint32 declaredSize, const QByteArray &payload);
// "RIFF", the size of what follows, "ACON", then the chunks.
QByteArray riffAcon(const QByteArray &chunks);

struct AniHeader
{
    qint32 frames = 0;
    qint32 steps = 0;
    qint32 jifRate = 10;
    // 1: frames are icons, no sequence.
    qint32 flags = 1;
};
QByteArray aniHeaderChunk(const AniHeader &header);
// A "LIST" of type "fram" with one "icon" chunk per file.
QByteArray frameList(const QList<QByteArray> &iconFiles);

struct CursorEntry
{
    int width = 32;
    int height = 32;
    int hotSpotX = 0;
    int hotSpotY = 0;
    // Where the image starts, counted from the file's start; zero bytes fill any gap.
    quint32 imageOffset = DirectorySize;
};
// A cursor file (directory type 2) holding one image.
QByteArray cursorFile(const QByteArray &image, const CursorEntry &entry);

// A device-independent bitmap with its AND mask, as icon images store it: header (height counting
// colour and mask rows), palette, colour rows and mask rows, each bottom-up. pixels holds the
// rows top-down: palette indexes for 1, 4 and 8 bits per pixel, 0xRRGGBB for 24, 0xAARRGGBB for
// 32. masked marks the pixels whose mask bit is set.
QByteArray iconBitmap(int width, int height, int bitCount, const std::vector<quint32> &palette,
    const std::vector<quint32> &pixels, const std::vector<bool> &masked);

} // namespace quiltmap::anibuilder
