#include "aniicon/ani_icon_file.h"

#include "aniicon/chunk_cursor.h"
#include "aniicon/icon_image.h"
#include "common/error.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>

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

tAniHeader readAniHeader(ChunkCursor &in)
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
void overwriteEntries(std::array<qint32, TAniIconFile::RateEntries> &entries, QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        auto value = static_cast<quint32>(entries[i / 4]);
        const int shift = 8 * (i % 4);
        value = (value & ~(quint32(0xFF) << shift))
            | quint32(static_cast<unsigned char>(bytes[i])) << shift;
        entries[i / 4] = static_cast<qint32>(value);
    }
}

// The extension with its dot: from the last "." of the name without its folder.
QString fileExtension(const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

} // namespace

TAniIconFile::TAniIconFile(QObject *parent)
    : QObject(parent)
{ }

TAniIconFile::~TAniIconFile() = default;

const ArgbImage &TAniIconFile::frame(int slot) const
{
    static const ArgbImage none;
    return slot >= 0 && slot < FrameSlots ? m_iconhandles[slot] : none;
}

void TAniIconFile::releaseFrames()
{
    for (ArgbImage &slot : m_iconhandles)
        slot = {};
}

void TAniIconFile::notifyChange()
{
    if (m_onChange)
        m_onChange(this);
}

void TAniIconFile::load(const QByteArray &bytes)
{
    m_anistream = bytes;
    Parse();
    m_hasData = true;
}

void TAniIconFile::LoadFromStream(QIODevice *stream)
{
    if (!stream)
        return;
    if (!stream->isReadable() || (!stream->isSequential() && !stream->seek(0)))
        throwReadError();
    load(stream->readAll());
}

void TAniIconFile::setData(const QByteArray &bytes)
{
    load(bytes);
    notifyChange();
}

void TAniIconFile::LoadFromFile(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (fileExtension(fileName).toUpper() != QLatin1String(".ANI") || !info.isFile())
        return;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral(u"Datei %1 kann nicht geöffnet werden. %2")
                        .arg(info.absoluteFilePath(), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throwReadError();
    m_anistream = bytes;
    Parse();
    notifyChange();
    m_hasData = true;
}

void TAniIconFile::SaveToStream(QIODevice *stream) const
{
    if (stream && stream->write(m_anistream) != m_anistream.size())
        throw Error(QStringLiteral("Stream-Schreibfehler"));
}

void TAniIconFile::Assign(const QObject *source)
{
    if (!source) {
        m_hasData = false;
        m_anistream.clear();
        releaseFrames();
        return;
    }
    if (const auto *other = qobject_cast<const TAniIconFile *>(source)) {
        load(other->m_anistream);
        return;
    }
    throw Error(QStringLiteral("%1 kann nicht zu TAniIconFile zugewiesen werden")
                    .arg(QLatin1String(source->metaObject()->className())));
}

void TAniIconFile::Parse()
{
    if (m_anistream.isEmpty())
        return;
    ChunkCursor in(m_anistream);
    skipToHeader(in);
    // The header chunk's own size is not used.
    m_aniheader = readAniHeader(in);
    std::fill_n(m_jifrates.begin(), FrameSlots, m_aniheader.jifRate);

    ChunkHeader chunk = in.readChunkHeader();
    if (chunkNames(chunk, "rate")) {
        overwriteEntries(m_jifrates, in.take(chunk.size, EntryArea));
        chunk = in.readChunkHeader();
    }
    if (chunkNames(chunk, "seq")) {
        overwriteEntries(m_sequences, in.take(chunk.size, EntryArea));
        chunk = in.readChunkHeader();
    }
    // Without a frame list the previous frames and playback position stay.
    if (!chunkNames(chunk, "LIST"))
        return;
    readFrameList(in);
    m_curFrame = 0;
    m_jifCount = 0;
}

void TAniIconFile::readFrameList(ChunkCursor &in)
{
    in.take(4);
    releaseFrames();
    m_aniheader.cFrames = std::min(m_aniheader.cFrames, qint32(FrameSlots));
    for (int i = 0; i < m_aniheader.cFrames; ++i) {
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
        m_iconhandles[i] = decodeIconImage(in.take(size - DirectorySize, ImageArea));
    }
}

void TAniIconFile::Tick()
{
    // In 64 bits: a rate near the top of the range must not overflow the count.
    const qint64 count = qint64(m_jifCount) + 2;
    if (m_jifrates[m_curFrame] >= count) {
        m_jifCount = static_cast<int>(count);
        return;
    }
    m_jifCount = 0;
    m_curFrame = m_curFrame == FrameSlots - 1 ? 0 : m_curFrame + 1;
    if (m_iconhandles[m_curFrame].isNull())
        m_curFrame = 0;
    notifyChange();
}

void TAniIconFile::SelectFrame(int frame)
{
    m_curFrame = frame < 0 || frame >= FrameSlots || m_iconhandles[frame].isNull() ? 0 : frame;
    m_jifCount = 0;
}

} // namespace quiltmap::aniicon
