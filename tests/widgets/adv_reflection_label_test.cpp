#include "widgets/adv_reflection_label.h"
#include "widgets/adv_reflection_label_image.h"
#include "widgets/app_fonts.h"

#include <QFontMetrics>
#include <gtest/gtest.h>

namespace quiltmap::widgets {
namespace {

const QRgb kBackground = qRgb(240, 240, 240);
const QColor kWindowText(0, 0, 160);

// The main window's title over a plain parent background, in a window-text colour apart from
// the black of the "J".
class TitleLabel : public testing::Test
{
protected:
    TitleLabel()
    {
        ensureApplicationFonts();
        parent.resize(400, 80);
        QPalette palette = parent.palette();
        palette.setColor(QPalette::Window, QColor(kBackground));
        palette.setColor(QPalette::WindowText, kWindowText);
        parent.setPalette(palette);
        parent.setAutoFillBackground(true);
        title = new TAdvReflectionLabel(&parent);
        title->setFont(titleFont());
        title->setGeometry(80, 15, 233, 27);
        title->setReflectionSize(50);
        title->setHTMLText({ QStringLiteral("<FONT color=\"#008000\">Q</FONT><FONT color="
                                            "\"#FF0000\">7</FONT><FONT color=\"#000000\">J</FONT>"
                                            " QuiltMap-Creator") });
    }

    static QFont titleFont()
    {
        QFont font(QStringLiteral("Tahoma"));
        font.setPixelSize(16);
        font.setBold(true);
        return font;
    }

    QImage grab() { return parent.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    // Summed difference from the background over the title's columns of one parent row.
    static int rowInk(const QImage &image, int y)
    {
        int ink = 0;
        for (int x = 80; x < 80 + 233; ++x) {
            const QRgb p = image.pixel(x, y);
            ink += std::abs(qRed(p) - qRed(kBackground)) + std::abs(qGreen(p) - qGreen(kBackground))
                + std::abs(qBlue(p) - qBlue(kBackground));
        }
        return ink;
    }

    QWidget parent;
    TAdvReflectionLabel *title = nullptr;
};

// Pixels within the title's text rows and the columns [from, to) of the label, by colour.
int countPixels(const QImage &image, int from, int to, bool (*match)(QRgb))
{
    int count = 0;
    for (int y = 15; y < 15 + 16; ++y)
        for (int x = 80 + from; x < 80 + to; ++x)
            count += match(image.pixel(x, y)) ? 1 : 0;
    return count;
}

TEST_F(TitleLabel, DrawsEachLetterInItsColour)
{
    const QImage image = grab();
    const QFontMetrics metrics(titleFont());
    const int q = metrics.horizontalAdvance(QStringLiteral("Q"));
    const int seven = q + metrics.horizontalAdvance(QStringLiteral("7"));
    const int j = seven + metrics.horizontalAdvance(QStringLiteral("J"));
    const int end = metrics.horizontalAdvance(QStringLiteral("Q7J QuiltMap-Creator"));
    const auto green = [](QRgb p) { return qGreen(p) > 90 && qRed(p) < 60 && qBlue(p) < 60; };
    const auto red = [](QRgb p) { return qRed(p) > 180 && qGreen(p) < 60 && qBlue(p) < 60; };
    const auto black = [](QRgb p) { return qRed(p) < 50 && qGreen(p) < 50 && qBlue(p) < 50; };
    const auto navy = [](QRgb p) { return qBlue(p) > 120 && qRed(p) < 50 && qGreen(p) < 50; };
    EXPECT_GT(countPixels(image, 0, q, green), 10);
    EXPECT_GT(countPixels(image, q, seven, red), 5);
    EXPECT_GT(countPixels(image, seven, j, black), 5);
    EXPECT_GT(countPixels(image, j, end, navy), 50);
    EXPECT_EQ(countPixels(image, j, end, green) + countPixels(image, j, end, red), 0);
}

// The reflection starts 7 rows above the text box's bottom (16): below the text box, label row
// 9 + k shows reflection row k blended over the background with that row's opacity.
TEST_F(TitleLabel, ReflectionFadesBelowTheText)
{
    const QImage image = grab();
    const QImage &reflection = title->ReflectionPic();
    ASSERT_EQ(reflection.size(), QSize(title->XSize(), 16));
    int inked = 0;
    for (int k = 7; k < 16; ++k) {
        for (int x = 0; x < reflection.width(); ++x) {
            const QRgb mirrored = reflection.pixel(x, k);
            const double alpha = qAlpha(mirrored) / 255.0;
            const QRgb shown = image.pixel(80 + x, 15 + 9 + k);
            EXPECT_NEAR(
                qBlue(shown), qBlue(kBackground) * (1 - alpha) + qBlue(mirrored) * alpha, 2);
            EXPECT_NEAR(qRed(shown), qRed(kBackground) * (1 - alpha) + qRed(mirrored) * alpha, 2);
            inked += shown != kBackground ? 1 : 0;
        }
        if (k > 7) {
            EXPECT_LT(qAlpha(reflection.pixel(0, k)), qAlpha(reflection.pixel(0, k - 1)));
        }
    }
    EXPECT_GT(inked, 100);
    EXPECT_EQ(rowInk(image, 15 + 27), 0);
}

// The reflection is the text box upside down: where the text has ink, its mirror row has too.
TEST_F(TitleLabel, ReflectionMirrorsTheText)
{
    const QImage image = grab();
    const QImage &reflection = title->ReflectionPic();
    int dark = 0;
    int mirrored = 0;
    for (int y = 3; y < 13; ++y) {
        for (int x = 0; x < reflection.width(); ++x) {
            if (qGray(image.pixel(80 + x, 15 + y)) >= 100)
                continue;
            ++dark;
            mirrored += qGray(reflection.pixel(x, 15 - y)) < 180 ? 1 : 0;
        }
    }
    EXPECT_GT(dark, 100);
    EXPECT_GT(mirrored, dark * 9 / 10);
}

TEST_F(TitleLabel, FirstPaintBuildsTheReflectionOnce)
{
    EXPECT_TRUE(title->ReflectionPending());
    grab();
    EXPECT_FALSE(title->ReflectionPending());
    const QImage &built = title->ReflectionPic();
    EXPECT_EQ(built.size(), QSize(title->XSize(), title->YSize()));
    const qint64 key = built.cacheKey();
    grab();
    EXPECT_EQ(title->ReflectionPic().cacheKey(), key);
}

TEST_F(TitleLabel, AxisMovesTheReflectionWithoutRebuildingIt)
{
    const QImage before = grab();
    const qint64 key = title->ReflectionPic().cacheKey();
    title->setReflectionAxis(0);
    EXPECT_FALSE(title->ReflectionPending());
    const QImage after = grab();
    EXPECT_EQ(title->ReflectionPic().cacheKey(), key);
    for (int y = 15 + 23; y < 15 + 27; ++y)
        EXPECT_EQ(rowInk(after, y), rowInk(before, y - 7)) << "row " << y;
}

TEST_F(TitleLabel, OpacitySettersIgnoreOutOfRangeValuesAndRebuildAtOnce)
{
    grab();
    const qint64 key = title->ReflectionPic().cacheKey();
    for (const int ignored : { 300, -1, 128 })
        title->setReflectionOpacityStart(ignored);
    title->setReflectionOpacityEnd(256);
    EXPECT_EQ(title->ReflectionOpacityStart(), 128);
    EXPECT_EQ(title->ReflectionOpacityEnd(), 0);
    EXPECT_EQ(title->ReflectionPic().cacheKey(), key);

    title->setReflectionOpacityStart(64);
    EXPECT_NE(title->ReflectionPic().cacheKey(), key);
    EXPECT_EQ(qAlpha(title->ReflectionPic().pixel(0, 0)), 64);
    EXPECT_FALSE(title->ReflectionPending());
}

TEST_F(TitleLabel, SizeTextAndFontChangesAskForARebuild)
{
    grab();
    title->setReflectionSize(10);
    EXPECT_TRUE(title->ReflectionPending());
    grab();
    EXPECT_EQ(qAlpha(title->ReflectionPic().pixel(0, 10)), 0);
    title->setReflectionSize(10);
    EXPECT_FALSE(title->ReflectionPending());
    title->setFont(QFont(QStringLiteral("Tahoma"), 9));
    EXPECT_TRUE(title->ReflectionPending());
}

TEST(TAdvReflectionLabel, StartValues)
{
    TAdvReflectionLabel label;
    EXPECT_EQ(label.size(), QSize(185, 40));
    EXPECT_TRUE(label.font().bold());
    EXPECT_EQ(label.font().pointSize(), 12);
    EXPECT_EQ(label.ReflectionSize(), 20);
    EXPECT_EQ(label.ReflectionAxis(), -7);
    EXPECT_EQ(label.URLColor(), QColor(Qt::blue));
    EXPECT_FALSE(label.ReflectionPending());
    EXPECT_TRUE(label.ReflectionPic().isNull());
    label.setVersion(QStringLiteral("2.0"));
    EXPECT_EQ(label.Version(), QStringLiteral("1.5.1.0"));
}

TEST(TAdvReflectionLabel, KeepsItsLinesAsOneLineWithoutBreaks)
{
    TAdvReflectionLabel label;
    label.setHTMLText({ QStringLiteral("a\r\nb"), QStringLiteral("c") });
    EXPECT_EQ(label.HTMLText(), QStringList { QStringLiteral("abc") });
    EXPECT_TRUE(label.ReflectionPending());
}

} // namespace
} // namespace quiltmap::widgets
