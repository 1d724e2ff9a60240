#include "aniicon/animated_cursor.h"

#include "aniicon/chunk_cursor.h"
#include "aniicon/icon_image.h"

#include <algorithm>

namespace quiltmap::aniicon {

namespace {

// Work areas of the reader: an "INFO" sub-chunk, a "rate" or "seq " chunk, and the bytes before
// and of a frame's image.
constexpr qint64 InfoArea = 512;
constexpr qint64 EntryArea = 512;
constexpr qint64 ImageArea = 20001;
// A frame chunk shorter than this ends the frame list.
constexpr qint32 MinFrameChunk = 766;
// Icon directory (6 bytes) plus its first entry (16 bytes).
constexpr qint64 DirectorySize = 22;

// Discards one sub-chunk of an "INFO" list, with its pad byte.
void skipInfoSubChunk(ChunkCursor &in, qint32 size)
{
    const qint64 padded = qint64(size) + (size & 1);
    in.take(padded, InfoArea);
}

// Reads up to the header's data: the RIFF header and form type (not examined), then "anih"; or a
// list, its type and "anih"; or a list of exactly two sub-chunks and a chunk taken for "anih"
// whatever its identifier.
void skipToHeader(ChunkCursor &in)
{
    in.take(8);
    in.take(4);
    if (chunkNames(in.readChunkHeader(), "anih"))
        return;
    in.take(4);
    const ChunkHeader chunk = in.readChunkHeader();
    if (chunkNames(chunk, "anih"))
        return;
    skipInfoSubChunk(in, chunk.size);
    skipInfoSubChunk(in, in.readChunkHeader().size);
    in.readChunkHeader();
}

AniHeader readAniHeader(ChunkCursor &in)
{
    const QByteArrayView bytes = in.take(36);
    const auto field = [&](int index) {
        return static_cast<qint32>(littleEndian32(bytes.sliced(4 * index, 4)));
    };
    return { field(0), field(1), field(2), field(3), field(4), field(5), field(6), field(7),
        field(8) };
}

// Copies raw chunk bytes over the entries from entry 0 on, as the entries' little-endian bytes;
// a size that is not a multiple of 4 changes the low bytes of the last entry only.
void overwriteEntries(AnimatedCursor::Entries &entries, QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        auto value = static_cast<quint32>(entries[i / 4]);
        const int shift = 8 * (i % 4);
        value = (value & ~(quint32(0xFF) << shift))
            | quint32(static_cast<unsigned char>(bytes[i])) << shift;
        entries[i / 4] = static_cast<qint32>(value);
    }
}

} // namespace

const ArgbImage &AnimatedCursor::frame(int slot) const
{
    static const ArgbImage none;
    return slot >= 0 && std::size_t(slot) < m_frames.size() ? m_frames[std::size_t(slot)] : none;
}

void AnimatedCursor::load(QByteArray bytes)
{
    m_bytes = std::move(bytes);
    parse();
}

void AnimatedCursor::clear()
{
    m_bytes.clear();
    m_frames.clear();
}

void AnimatedCursor::parse()
{
    if (m_bytes.isEmpty())
        return;
    ChunkCursor in(m_bytes);
    skipToHeader(in);
    // The header chunk's own size is not used.
    m_header = readAniHeader(in);
    std::fill_n(m_rates.begin(), FrameSlots, m_header.jifRate);

    ChunkHeader chunk = in.readChunkHeader();
    if (chunkNames(chunk, "rate")) {
        overwriteEntries(m_rates, in.take(chunk.size, EntryArea));
        chunk = in.readChunkHeader();
    }
    if (chunkNames(chunk, "seq")) {
        overwriteEntries(m_sequence, in.take(chunk.size, EntryArea));
        chunk = in.readChunkHeader();
    }
    // Without a frame list the previous frames and playback position stay.
    if (!chunkNames(chunk, "LIST"))
        return;
    readFrameList(in);
    m_current = 0;
    m_jiffies = 0;
}

void AnimatedCursor::readFrameList(ChunkCursor &in)
{
    in.take(4);
    m_frames.clear();
    m_header.cFrames = std::min(m_header.cFrames, qint32(FrameSlots));
    for (int i = 0; i < m_header.cFrames; ++i) {
        const ChunkHeader frameChunk = in.readChunkHeader();
        if (frameChunk.size < MinFrameChunk)
            return;
        // The icon directory is not used; of its first entry only the image offset.
        in.take(6);
        const quint32 imageOffset = littleEndian32(in.take(16).sliced(12));
        qint64 size = frameChunk.size;
        if (imageOffset > DirectorySize) {
            const qint64 gap = imageOffset - DirectorySize;
            in.take(gap, ImageArea);
            size -= gap;
        }
        m_frames.push_back(decodeIconImage(in.take(size - DirectorySize, ImageArea)));
    }
}

bool AnimatedCursor::tick()
{
    // In 64 bits: a rate near the top of the range must not overflow the count.
    const qint64 count = qint64(m_jiffies) + 2;
    if (m_rates[std::size_t(m_current)] >= count) {
        m_jiffies = static_cast<int>(count);
        return false;
    }
    m_jiffies = 0;
    m_current = m_current == FrameSlots - 1 ? 0 : m_current + 1;
    if (frame(m_current).isNull())
        m_current = 0;
    return true;
}

void AnimatedCursor::selectFrame(int slot)
{
    m_current = frame(slot).isNull() ? 0 : slot;
    m_jiffies = 0;
}

} // namespace quiltmap::aniicon
