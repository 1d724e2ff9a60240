#include "widgets/app_fonts.h"
#include "widgets/html_label.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace quiltmap::widgets {
namespace {

TEST(THTMLabel, JoinsItsLinesWithOneSpace)
{
    THTMLabel label;
    EXPECT_EQ(label.GetDisplayText(), QString());
    label.addHTMLLine(QStringLiteral("a"));
    label.addHTMLLine(QStringLiteral("b"));
    EXPECT_EQ(label.GetDisplayText(), QStringLiteral("a b"));
    label.clearHTMLText();
    EXPECT_TRUE(label.HTMLText().isEmpty());
    label.setHTMLText({ QStringLiteral("<b>x</b>") });
    EXPECT_EQ(label.GetDisplayText(), QStringLiteral("<b>x</b>"));
}

TEST(THTMLabel, DefaultsAndFixedVersion)
{
    THTMLabel label;
    EXPECT_TRUE(label.Transparent());
    EXPECT_FALSE(label.Ellipsis());
    EXPECT_EQ(label.LineSpacing(), 0);
    label.setVersion(QStringLiteral("0"));
    EXPECT_EQ(label.Version(), QStringLiteral("1.9.0.1"));
}

// The label draws only glyphs: the parent's background stays around them, and the bold word
// at the top-left corner is darker than the regular text after it.
TEST(THTMLabel, DrawsGlyphsOverTheParentFromTheTopLeft)
{
    ensureApplicationFonts();
    QWidget parent;
    parent.resize(120, 40);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, QColor(200, 220, 240));
    palette.setColor(QPalette::WindowText, Qt::black);
    parent.setPalette(palette);
    parent.setAutoFillBackground(true);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    parent.setFont(font);
    auto *label = new THTMLabel(&parent);
    label->setGeometry(10, 10, 81, 17);
    label->setHTMLText({ QStringLiteral("<b>WIDTH</b> (Pixel)") });

    const QImage image = parent.grab().toImage().convertToFormat(QImage::Format_RGB32);
    int ink = 0;
    int background = 0;
    for (int y = 10; y < 27; ++y) {
        for (int x = 10; x < 91; ++x) {
            const QRgb p = image.pixel(x, y);
            ink += qGray(p) < 100 ? 1 : 0;
            background += p == qRgb(200, 220, 240) ? 1 : 0;
        }
    }
    EXPECT_GT(ink, 40);
    EXPECT_GT(background, 81 * 17 / 2);
    EXPECT_EQ(image.pixel(5, 5), qRgb(200, 220, 240));
    // Nothing is drawn below the first line's cell.
    for (int x = 10; x < 91; ++x)
        EXPECT_EQ(image.pixel(x, 26), qRgb(200, 220, 240));
}

} // namespace
} // namespace quiltmap::widgets
