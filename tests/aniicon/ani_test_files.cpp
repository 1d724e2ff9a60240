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

int loadedFrames(const TAniIconFile &file)
{
    int count = 0;
    for (int slot = 0; slot < TAniIconFile::FrameSlots; ++slot)
        count += file.frame(slot).isNull() ? 0 : 1;
    return count;
}

std::vector<quint32> loadedColours(const TAniIconFile &file)
{
    std::vector<quint32> colours;
    for (int slot = 0; slot < TAniIconFile::FrameSlots && !file.frame(slot).isNull(); ++slot)
        colours.push_back(file.frame(slot).pixel(0, 0));
    return colours;
}

std::vector<int> framesAfterTicks(TAniIconFile &file, int ticks)
{
    std::vector<int> frames;
    for (int i = 0; i < ticks; ++i) {
        file.Tick();
        frames.push_back(file.CurFrame());
    }
    return frames;
}

QString loadError(TAniIconFile &file, const QByteArray &bytes)
{
    try {
        file.setData(bytes);
    } catch (const Error &error) {
        return error.message();
    }
    return {};
}

} // namespace quiltmap::aniicon::test
