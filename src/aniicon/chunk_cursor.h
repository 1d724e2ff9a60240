#pragma once

#include "sheet/byte_cursor.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <string_view>

namespace quiltmap::aniicon {

// The 8 bytes in front of every RIFF chunk.
struct ChunkHeader
{
    QByteArray id;
    qint32 size = 0;
};

// Whether a chunk identifier names a keyword: the identifier up to its first zero byte, without
// control characters and spaces, contains the keyword (case-sensitive). So "seq " names "seq".
bool chunkNames(const ChunkHeader &chunk, std::string_view keyword);

// Reads the kept bytes of an animated cursor strictly front to back. Every read fails with
// quiltmap::Error("Stream-Lesefehler") when the bytes run out, when a count is negative, or when
// it exceeds the work area the caller names; nothing is read past the end.
class ChunkCursor
{
public:
    explicit ChunkCursor(QByteArrayView bytes);

    QByteArrayView take(qint64 count);
    QByteArrayView take(qint64 count, qint64 capacity);
    qint32 readInt32();
    ChunkHeader readChunkHeader();

private:
    sheet::ByteCursor m_cursor;
};

// Little-endian 32-bit value at the start of the bytes, which must hold at least 4.
quint32 littleEndian32(QByteArrayView bytes);

[[noreturn]] void throwReadError();

} // namespace quiltmap::aniicon
