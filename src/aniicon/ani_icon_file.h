#pragma once

#include "aniicon/argb_image.h"

#include <QByteArray>
#include <QObject>
#include <array>
#include <functional>

class QIODevice;

namespace quiltmap::aniicon {

class ChunkCursor;

// The "anih" chunk: nine little-endian signed 32-bit integers, 36 bytes, in this order.
struct tAniHeader
{
    qint32 cbSizeof = 0;
    qint32 cFrames = 0;
    qint32 cSteps = 0;
    qint32 cx = 0;
    qint32 cy = 0;
    qint32 cBitCount = 0;
    qint32 cPlanes = 0;
    qint32 jifRate = 0;
    qint32 fl = 0;
};

// One animated cursor (RIFF "ACON", the .ani format): the file's bytes kept unchanged, its frames
// decoded to images, and the playback position. Loading fails with quiltmap::Error
// ("Stream-Lesefehler") when the data runs out or a chunk exceeds the reader's work areas; the new
// bytes and whatever was read before the failure stay.
class TAniIconFile : public QObject
{
    Q_OBJECT

public:
    static constexpr int FrameSlots = 64;
    static constexpr int RateEntries = 128;
    // Frames are drawn at this width and height whatever the data holds.
    static constexpr int IconSize = 32;

    using tjifrates = std::array<qint32, RateEntries>;
    using tsequences = std::array<qint32, RateEntries>;
    using TNotifyEvent = std::function<void(TAniIconFile *sender)>;

    explicit TAniIconFile(QObject *parent = nullptr);
    ~TAniIconFile() override;

    // Keeps the whole content of the device, from its first byte whatever its position, and
    // parses it. Nothing happens for a null device. Does not call OnChange.
    void LoadFromStream(QIODevice *stream);
    // Loads only an existing file whose extension is ".ani" in any case; otherwise does nothing.
    // A file that exists but cannot be opened fails with "Datei <name> kann nicht geöffnet
    // werden. <reason>". Calls OnChange.
    void LoadFromFile(const QString &fileName);
    // Writes the kept bytes unchanged at the device's position; nothing for a null device.
    void SaveToStream(QIODevice *stream) const;

    // The stored property: the kept bytes, a complete .ani file (empty when nothing is kept).
    QByteArray Data() const { return m_anistream; }
    // Loads the bytes as LoadFromStream does, then calls OnChange.
    void setData(const QByteArray &bytes);

    // Null empties the object (the playback position stays); another TAniIconFile is copied and
    // parsed; any other object fails with "<class> kann nicht zu TAniIconFile zugewiesen werden".
    void Assign(const QObject *source);

    // Rebuilds header, rates, sequence and frames from the kept bytes, reading strictly in order.
    void Parse();
    // One timer tick: 2 jiffies; advances the frame when its rate is used up, then OnChange.
    void Tick();
    // Makes a frame current; out of 0..63 or an empty slot gives frame 0. No notification.
    void SelectFrame(int frame);

    bool HasData() const { return m_hasData; }
    void setHasData(bool hasData) { m_hasData = hasData; }
    const TNotifyEvent &OnChange() const { return m_onChange; }
    void setOnChange(TNotifyEvent handler) { m_onChange = std::move(handler); }

    int CurFrame() const { return m_curFrame; }
    int JifCount() const { return m_jifCount; }
    // The image of a slot; a null image for an empty slot or a number outside 0..63.
    const ArgbImage &frame(int slot) const;
    const ArgbImage &currentFrame() const { return frame(m_curFrame); }
    const tAniHeader &aniheader() const { return m_aniheader; }
    const tjifrates &jifrates() const { return m_jifrates; }
    const tsequences &sequences() const { return m_sequences; }

    bool Empty() const { return false; }
    int Width() const { return IconSize; }
    int Height() const { return IconSize; }

private:
    void load(const QByteArray &bytes);
    void readFrameList(ChunkCursor &in);
    void releaseFrames();
    void notifyChange();

    std::array<ArgbImage, FrameSlots> m_iconhandles;
    tjifrates m_jifrates {};
    tsequences m_sequences {};
    tAniHeader m_aniheader;
    QByteArray m_anistream;
    bool m_hasData = false;
    int m_curFrame = 0;
    int m_jifCount = 0;
    TNotifyEvent m_onChange;
};

} // namespace quiltmap::aniicon
