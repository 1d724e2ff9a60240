#include "ani_test_files.h"
#include "aniicon/animated_cursor.h"
#include "aniicon/busy_animation.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace quiltmap::aniicon {
namespace {

using namespace aniicon::test;

qint32 int32At(const QByteArray &bytes, qsizetype offset)
{
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

qint16 int16At(const QByteArray &bytes, qsizetype offset)
{
    return qFromLittleEndian<qint16>(bytes.constData() + offset);
}

TEST(ShippedBusyAnimation, IsOneAconFileOfSixCursorFrames)
{
    const QByteArray bytes = shippedBusyAnimation();
    ASSERT_EQ(bytes.size(), 25832);
    EXPECT_EQ(bytes.left(4), "RIFF");
    EXPECT_EQ(int32At(bytes, 4), 25824);
    EXPECT_EQ(bytes.mid(8, 8), "ACONanih");
    EXPECT_EQ(int32At(bytes, 16), 36);
    const std::vector<qint32> header { 36, 6, 6, 0, 0, 0, 0, 10, 1 };
    for (std::size_t i = 0; i < header.size(); ++i)
        EXPECT_EQ(int32At(bytes, 20 + 4 * qsizetype(i)), header[i]) << "header field " << i;
    EXPECT_EQ(bytes.mid(56, 4), "LIST");
    EXPECT_EQ(int32At(bytes, 60), 25768);
    EXPECT_EQ(bytes.mid(64, 4), "fram");
    for (int frame = 0; frame < 6; ++frame) {
        SCOPED_TRACE(frame);
        const qsizetype chunk = 68 + frame * (8 + 4286);
        EXPECT_EQ(bytes.mid(chunk, 4), "icon");
        EXPECT_EQ(int32At(bytes, chunk + 4), 4286);
        const qsizetype file = chunk + 8;
        EXPECT_EQ(int16At(bytes, file + 2), 2);
        EXPECT_EQ(int16At(bytes, file + 4), 1);
        EXPECT_EQ(bytes[file + 6], 32);
        EXPECT_EQ(bytes[file + 7], 32);
        EXPECT_EQ(int16At(bytes, file + 10), 1);
        EXPECT_EQ(int16At(bytes, file + 12), 9);
        EXPECT_EQ(int32At(bytes, file + 14), 4264);
        EXPECT_EQ(int32At(bytes, file + 18), 22);
        const qsizetype image = file + 22;
        EXPECT_EQ(int32At(bytes, image), 40);
        EXPECT_EQ(int32At(bytes, image + 4), 32);
        EXPECT_EQ(int32At(bytes, image + 8), 64);
        EXPECT_EQ(int16At(bytes, image + 12), 1);
        EXPECT_EQ(int16At(bytes, image + 14), 32);
        EXPECT_EQ(int32At(bytes, image + 16), 0);
    }
}

TEST(ShippedBusyAnimation, LoadsSixDistinctFramesAtRateTen)
{
    AnimatedCursor cursor;
    cursor.load(shippedBusyAnimation());
    EXPECT_EQ(loadedFrames(cursor), 6);
    EXPECT_EQ(cursor.header().cFrames, 6);
    for (int slot = 0; slot < AnimatedCursor::FrameSlots; ++slot)
        EXPECT_EQ(cursor.rates()[std::size_t(slot)], 10) << "slot " << slot;
    for (int slot = 0; slot < 6; ++slot) {
        SCOPED_TRACE(slot);
        const ArgbImage &frame = cursor.frame(slot);
        EXPECT_EQ(frame.width, 32);
        EXPECT_EQ(frame.height, 32);
        // The corner is clear, the pointer's tip opaque black.
        EXPECT_EQ(frame.pixel(0, 0), 0u);
        EXPECT_EQ(frame.pixel(1, 9), 0xFF000000u);
        EXPECT_NE(frame.pixels, cursor.frame((slot + 1) % 6).pixels);
    }
}

TEST(ShippedBusyAnimation, ShowsEachFrameForSixTicksAndComesRound)
{
    AnimatedCursor cursor;
    cursor.load(shippedBusyAnimation());
    std::vector<int> expected;
    for (int tick = 1; tick <= 36; ++tick)
        expected.push_back(tick / 6 % 6);
    EXPECT_EQ(framesAfterTicks(cursor, 36), expected);
}

} // namespace
} // namespace quiltmap::aniicon
