#include "widgets/adv_reflection_label_image.h"

#include <gtest/gtest.h>

namespace quiltmap::widgets {
namespace {

struct OpacityCase
{
    int row;
    int size;
    int start;
    int end;
    int opacity;
};

class ReflectionRowOpacity : public testing::TestWithParam<OpacityCase>
{
};

TEST_P(ReflectionRowOpacity, FadesFromStartToEnd)
{
    const OpacityCase &c = GetParam();
    EXPECT_EQ(reflectionRowOpacity(c.row, c.size, c.start, c.end), c.opacity);
}

INSTANTIATE_TEST_SUITE_P(Title, ReflectionRowOpacity,
    testing::Values(OpacityCase { 0, 50, 128, 0, 128 }, OpacityCase { 1, 50, 128, 0, 125 },
        OpacityCase { 2, 50, 128, 0, 123 }, OpacityCase { 3, 50, 128, 0, 120 },
        OpacityCase { 4, 50, 128, 0, 118 }, OpacityCase { 10, 50, 128, 0, 102 },
        OpacityCase { 25, 50, 128, 0, 64 }, OpacityCase { 50, 50, 128, 0, 0 },
        OpacityCase { 70, 50, 128, 0, 0 }));

INSTANTIATE_TEST_SUITE_P(Rounding, ReflectionRowOpacity,
    testing::Values(OpacityCase { 1, 4, 2, 0, 2 }, OpacityCase { 3, 4, 2, 0, 0 },
        OpacityCase { 1, 4, 6, 0, 4 }, OpacityCase { 1, 2, 0, 255, 128 },
        OpacityCase { 0, 20, 300, 0, 255 }, OpacityCase { 0, 20, -40, 0, 0 }));

INSTANTIATE_TEST_SUITE_P(NoFade, ReflectionRowOpacity,
    testing::Values(OpacityCase { 0, 0, 128, 0, 0 }, OpacityCase { 0, -5, 128, 255, 0 },
        OpacityCase { 3, -5, 128, 255, 0 }));

TEST(ReflectionXStart, FollowsTheAlignmentInTheMarkup)
{
    EXPECT_EQ(reflectionXStart(QStringLiteral("<P align=\"center\">x</P>"), 233, 101), 66);
    EXPECT_EQ(reflectionXStart(QStringLiteral("<p ALIGN = \"Center\">x"), 233, 101), 66);
    EXPECT_EQ(reflectionXStart(QStringLiteral("<p align=\"right\">x"), 233, 101), 132);
    EXPECT_EQ(reflectionXStart(QStringLiteral("<p align=center>x"), 233, 101), 0);
    EXPECT_EQ(reflectionXStart(QStringLiteral("Q7J QuiltMap-Creator"), 233, 101), 0);
}

TEST(ReflectionImage, FlipsTheBoxAndSetsEachRowsOpacity)
{
    QImage box(2, 3, QImage::Format_RGB32);
    const QRgb rows[] = { qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255) };
    for (int y = 0; y < 3; ++y) {
        box.setPixel(0, y, rows[y]);
        box.setPixel(1, y, rows[y]);
    }

    const QImage reflection = reflectionImage(box, 2, 200, 100);
    ASSERT_EQ(reflection.size(), box.size());
    EXPECT_EQ(reflection.pixel(0, 0), qRgba(0, 0, 255, 200));
    EXPECT_EQ(reflection.pixel(1, 1), qRgba(0, 255, 0, 150));
    EXPECT_EQ(reflection.pixel(1, 2), qRgba(255, 0, 0, 0));
}

} // namespace
} // namespace quiltmap::widgets
