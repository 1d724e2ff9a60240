#include "ani_test_files.h"

#include "busy_animation/ani_builder.h"
#include "common/error.h"

namespace quiltmap::aniicon::test {

using namespace anibuilder;

quint32 frameColour(int frame)
{
    return 0xFF000000u | quint32(frame * 37 % 256) << 16 | quint32(frame * 11 % 256) << 8 | 0x40;
}

QByteArray solidFrame(quint32 argb)
{
    constexpr int Side = 16;
    CursorEntry entry;
    entry.width = Side;
    entry.height = Side;
    return cursorFile(iconBitmap(Side, Side, 32, {}, std::vector<quint32>(Side * Side, argb),
                          std::vector<bool>(Side * Side, false)),
        entry);
}

QList<QByteArray> solidFrames(int count)
{
    QList<QByteArray> frames;
    for (int i = 0; i < count; ++i)
        frames.append(solidFrame(frameColour(i)));
    return frames;
}

QByteArray headerAndFrames(int frames, qint32 jifRate)
{
    return aniHeaderChunk({ frames, frames, jifRate, 1 }) + frameList(solidFrames(frames));
}

QByteArray animation(int frames, qint32 jifRate)
{
    return riffAcon(headerAndFrames(frames, jifRate));
}

std::vector<quint32> coloursOf(int frames)
{
    std::vector<quint32> colours;
    for (int i = 0; i < frames; ++i)
        colours.push_back(frameColour(i));
    return colours;
}

int loadedFrames(const AnimatedCursor &cursor)
{
    int count = 0;
    for (int slot = 0; slot < AnimatedCursor::FrameSlots; ++slot)
        count += cursor.frame(slot).isNull() ? 0 : 1;
    return count;
}

std::vector<quint32> loadedColours(const AnimatedCursor &cursor)
{
    std::vector<quint32> colours;
    for (int slot = 0; slot < AnimatedCursor::FrameSlots && !cursor.frame(slot).isNull(); ++slot)
        colours.push_back(cursor.frame(slot).pixel(0, 0));
    return colours;
}

std::vector<int> framesAfterTicks(AnimatedCursor &cursor, int ticks)
{
    std::vector<int> frames;
    for (int i = 0; i < ticks; ++i) {
        cursor.tick();
        frames.push_back(cursor.currentFrame());
    }
    return frames;
}

QString failureOf(const std::function<void()> &load)
{
    try {
        load();
    } catch (const Error &error) {
        return error.message();
    }
    return {};
}

QString loadError(AnimatedCursor &cursor, const QByteArray &bytes)
{
    return failureOf([&] { cursor.load(bytes); });
}

} // namespace quiltmap::aniicon::test
