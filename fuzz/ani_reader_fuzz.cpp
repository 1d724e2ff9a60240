// Loads arbitrary bytes as an animated cursor, plays it for a while and decodes the bytes as a
// single icon image. Failing loads are fine; crashes, overruns and leaks are not.
#include "aniicon/animated_cursor.h"
#include "aniicon/icon_image.h"
#include "common/error.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace quiltmap::aniicon;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    AnimatedCursor cursor;
    try {
        cursor.load(bytes);
    } catch (const quiltmap::Error &) { }
    for (int tick = 0; tick < 200; ++tick) {
        cursor.tick();
        if (cursor.currentFrame() < 0 || cursor.currentFrame() >= AnimatedCursor::FrameSlots)
            std::abort();
    }
    cursor.selectFrame(int(size % 70));
    decodeIconImage(QByteArrayView(bytes));
    return 0;
}
