#include "aniicon/chunk_cursor.h"

#include "common/error.h"

#include <QString>
#include <cstdint>
#include <span>

namespace quiltmap::aniicon {

namespace {

std::span<const std::uint8_t> asSpan(QByteArrayView bytes)
{
    return { reinterpret_cast<const std::uint8_t *>(bytes.data()),
        static_cast<std::size_t>(bytes.size()) };
}

} // namespace

void throwReadError()
{
    throw Error(QStringLiteral("Stream-Lesefehler"));
}

bool chunkNames(const ChunkHeader &chunk, std::string_view keyword)
{
    std::string name;
    for (const char c : chunk.id) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0)
            break;
        if (byte > 32)
            name.push_back(c);
    }
    return name.find(keyword) != std::string::npos;
}

quint32 littleEndian32(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const std::uint8_t *>(bytes.data());
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

ChunkCursor::ChunkCursor(QByteArrayView bytes)
    : m_cursor(asSpan(bytes))
{ }

QByteArrayView ChunkCursor::take(qint64 count)
{
    if (count < 0)
        throwReadError();
    const auto bytes = m_cursor.take(static_cast<std::size_t>(count));
    if (!bytes)
        throwReadError();
    return { reinterpret_cast<const char *>(bytes->data()), static_cast<qsizetype>(bytes->size()) };
}

QByteArrayView ChunkCursor::take(qint64 count, qint64 capacity)
{
    if (count > capacity)
        throwReadError();
    return take(count);
}

qint32 ChunkCursor::readInt32()
{
    return static_cast<qint32>(littleEndian32(take(4)));
}

ChunkHeader ChunkCursor::readChunkHeader()
{
    ChunkHeader chunk;
    chunk.id = take(4).toByteArray();
    chunk.size = readInt32();
    return chunk;
}

} // namespace quiltmap::aniicon
