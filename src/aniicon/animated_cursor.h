#pragma once

#include "aniicon/argb_image.h"

#include <QByteArray>
#include <array>
#include <vector>

namespace quiltmap::aniicon {

class ChunkCursor;

// The "anih" chunk: nine little-endian signed 32-bit integers, 36 bytes, in this order.
struct AniHeader
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

// One animated cursor (RIFF "ACON", the .ani format): the file's bytes kept unchanged, what they
// hold (header, rates, sequence, frames decoded to images) and the playback position. A plain
// value: copies are independent.
class AnimatedCursor
{
public:
    static constexpr int FrameSlots = 64;
    static constexpr int RateEntries = 128;
    // Frames are drawn at this width and height whatever the data holds.
    static constexpr int IconSize = 32;

    using Entries = std::array<qint32, RateEntries>;

    // Keeps the bytes and rebuilds header, rates, sequence and frames from them, reading strictly
    // in order. Empty bytes change nothing else. Data without a frame list keeps the previous
    // frames and playback position. Throws quiltmap::Error ("Stream-Lesefehler") when the data
    // runs out or a chunk exceeds the reader's work areas; the new bytes and whatever was read
    // before the failure stay.
    void load(QByteArray bytes);
    // Forgets the bytes and the frames; the playback position stays.
    void clear();

    const QByteArray &bytes() const { return m_bytes; }
    const AniHeader &header() const { return m_header; }
    // Display time of each frame in jiffies (1/60 s), by frame number.
    const Entries &rates() const { return m_rates; }
    // The "seq " chunk as read; playback does not use it.
    const Entries &sequence() const { return m_sequence; }
    // The image of a slot; a null image for an empty slot or a number outside 0..63.
    const ArgbImage &frame(int slot) const;

    // One timer tick, 2 jiffies; returns whether the frame advanced. From slot 63, or onto an
    // empty slot, the animation goes back to frame 0.
    bool tick();
    // Makes a frame current; out of 0..63 or an empty slot gives frame 0.
    void selectFrame(int slot);
    int currentFrame() const { return m_current; }
    const ArgbImage &currentImage() const { return frame(m_current); }
    // Jiffies counted on the current frame.
    int jiffies() const { return m_jiffies; }

private:
    void parse();
    void readFrameList(ChunkCursor &in);

    QByteArray m_bytes;
    AniHeader m_header;
    Entries m_rates {};
    Entries m_sequence {};
    // Slot i holds frame i; a refused image is a null image in its slot.
    std::vector<ArgbImage> m_frames;
    int m_current = 0;
    int m_jiffies = 0;
};

} // namespace quiltmap::aniicon
