#include "widgets/html_render.h"
#include "widgets/text_canvas_fake.h"

#include <QFile>
#include <gtest/gtest.h>

void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace quiltmap::widgets {
namespace {

// Tahoma 11 px in the window-text colour: the fake makes it 5 px a character (6 in bold) and
// 13 px a cell.
CanvasFont labelFont()
{
    CanvasFont font;
    font.face = QStringLiteral("Tahoma");
    font.pixelHeight = 11;
    font.color = { 1, 2, 3 };
    return font;
}

struct Layout
{
    FakeTextCanvas canvas { labelFont() };
    RenderSize size;
};

Layout render(const QString &markup, TextRect rect, bool wrap = true, int lineSpacing = 0)
{
    Layout layout;
    layout.size = HTMLRender(layout.canvas, markup, rect, wrap, lineSpacing);
    return layout;
}

QStringList drawnTexts(const FakeTextCanvas &canvas)
{
    QStringList texts;
    for (const auto &drawing : canvas.drawings())
        texts.append(drawing.text);
    return texts;
}

QString golden(const QString &name)
{
    QFile file(QStringLiteral(QUILTMAP_LABELS_GOLDEN_DIR "/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return QString::fromUtf8(file.readAll());
}

TEST(HTMLRender, SizeReportMatchesGoldenLayout)
{
    // The report's entries, joined with one space as the label joins them.
    const QString report = QStringLiteral(
        "<FONT face=\"Courier New\">Width: <b>1200<br> Height: <b>96<br> ImagesTotal: <b>30<br> "
        "Imgages/row: <b>25<br> rows: <b>2<br> </FONT>");
    const Layout layout = render(report, { 0, 0, 130, 84 });
    EXPECT_EQ(layout.canvas.dump(), golden(QStringLiteral("size_report.txt")));
    EXPECT_EQ(layout.size.height, 6 * 13);
    EXPECT_EQ(layout.size.width, 15 * 6 + 2);
}

TEST(HTMLRender, OptionsRemarkIsRaisedByAQuarterCell)
{
    const Layout layout = render(QStringLiteral("DEFAULT: How many Icons per <b>ROW</b>. "
                                                "<SUP>(can be temporarly changed while "
                                                "creating QuiltMaps)</SUP>"),
        { 0, 0, 601, 17 });
    EXPECT_EQ(layout.canvas.dump(), golden(QStringLiteral("options_remark.txt")));
    EXPECT_EQ(layout.size.height, 13 + 3);
}

TEST(HTMLRender, TitleLettersTakeTheirFontColoursAndTheRestTheBaseColour)
{
    Layout layout;
    CanvasFont title = labelFont();
    title.pixelHeight = 16;
    title.bold = true;
    title.color = { 10, 20, 30 };
    layout.canvas.setFont(title);
    HTMLRender(layout.canvas,
        QStringLiteral("<FONT color=\"#008000\">Q</FONT><FONT color=\"#FF0000\">7</FONT>"
                       "<FONT color=\"#000000\">J</FONT> QuiltMap-Creator"),
        { 0, 0, 233, 27 }, true, 0);
    const auto &drawings = layout.canvas.drawings();
    ASSERT_EQ(drawnTexts(layout.canvas),
        (QStringList { QStringLiteral("Q"), QStringLiteral("7"), QStringLiteral("J"),
            QStringLiteral(" "), QStringLiteral("QuiltMap-Creator") }));
    EXPECT_EQ(drawings[0].font.color, (Rgb { 0, 128, 0 }));
    EXPECT_EQ(drawings[1].font.color, (Rgb { 255, 0, 0 }));
    EXPECT_EQ(drawings[2].font.color, (Rgb { 0, 0, 0 }));
    EXPECT_EQ(drawings[3].font.color, title.color);
    EXPECT_EQ(drawings[4].font.color, title.color);
    EXPECT_EQ(drawings[4].rect.left, 4 * 9);
    EXPECT_EQ(layout.canvas.font(), title);
}

TEST(HTMLRender, EmptyTextDrawsNothingAndIsOneCellHigh)
{
    const Layout layout = render(QString(), { 0, 0, 100, 50 });
    EXPECT_TRUE(layout.canvas.drawings().isEmpty());
    EXPECT_EQ(layout.size.width, 0);
    EXPECT_EQ(layout.size.height, 13);
}

// Words of 5 characters: 25 px wide, 30 px with their trailing space.
struct WrapCase
{
    int rectWidth;
    QStringList lines;
};

class HTMLRenderWrap : public testing::TestWithParam<WrapCase>
{
};

TEST_P(HTMLRenderWrap, BreaksWhereTheLineWithTrailingSpaceReachesTheEdge)
{
    const Layout layout
        = render(QStringLiteral("aaaaa bbbbb ccccc"), { 0, 0, GetParam().rectWidth, 100 });
    QStringList lines;
    int top = -1;
    for (const auto &drawing : layout.canvas.drawings()) {
        if (drawing.rect.top != top)
            lines.append(QString());
        top = drawing.rect.top;
        lines.last() += drawing.text;
    }
    EXPECT_EQ(lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, HTMLRenderWrap,
    testing::Values(WrapCase { 61, { QStringLiteral("aaaaa bbbbb "), QStringLiteral("ccccc") } },
        WrapCase { 60, { QStringLiteral("aaaaa "), QStringLiteral("bbbbb ccccc") } },
        WrapCase { 86, { QStringLiteral("aaaaa bbbbb ccccc") } },
        WrapCase { 85, { QStringLiteral("aaaaa bbbbb "), QStringLiteral("ccccc") } },
        // Each word is at least as wide as the rectangle on its own, so none moves on.
        WrapCase { 10, { QStringLiteral("aaaaa bbbbb ccccc") } }));

TEST(HTMLRender, LineWidthLeavesOutTheLastTrailingSpace)
{
    EXPECT_EQ(render(QStringLiteral("aaaaa bbbbb ccccc"), { 0, 0, 61, 100 }).size.width, 55 + 2);
}

TEST(HTMLRender, WideWordStaysBehindOtherWordsAndIsClipped)
{
    const Layout layout
        = render(QStringLiteral("ab <b>cccccccccccccccccccc</b> d"), { 0, 0, 50, 100 });
    const auto &drawings = layout.canvas.drawings();
    ASSERT_GE(drawings.size(), 2);
    EXPECT_EQ(drawings[1].text, QStringLiteral("cccccccccccccccccccc"));
    EXPECT_EQ(drawings[1].rect, (TextRect { 15, 0, 50, 13 }));
    EXPECT_EQ(drawings.last().rect.top, 13);
}

TEST(HTMLRender, NbspKeepsWordsOnOneLine)
{
    const Layout layout = render(QStringLiteral("aaaaa bbbbb&nbsp;ccccc"), { 0, 0, 61, 100 });
    EXPECT_EQ(drawnTexts(layout.canvas),
        (QStringList { QStringLiteral("aaaaa "), QStringLiteral("bbbbb ccccc") }));
    EXPECT_EQ(layout.canvas.drawings()[1].rect.top, 13);
}

TEST(HTMLRender, AmpersandEntityInAndOutOfPrefixMode)
{
    EXPECT_EQ(drawnTexts(render(QStringLiteral("R&amp;D"), { 0, 0, 200, 50 }).canvas),
        QStringList { QStringLiteral("R&D") });
    EXPECT_EQ(drawnTexts(render(QStringLiteral("R&amp;D & co"), { 0, 0, 200, 50 }, false).canvas),
        QStringList { QStringLiteral("R&&D & co") });
    // In prefix mode a lone ampersand only marks the next character.
    EXPECT_EQ(drawnTexts(render(QStringLiteral("&Save"), { 0, 0, 200, 50 }).canvas),
        QStringList { QStringLiteral("Save") });
}

TEST(HTMLRender, EntitiesAndLineBreaksArePreparedFirst)
{
    const Layout layout = render(
        QStringLiteral("&COPY;&euro;&quot; &lt;b&gt;<#x>\rnext\nline"), { 0, 0, 300, 100 }, false);
    EXPECT_EQ(drawnTexts(layout.canvas),
        (QStringList { QStringLiteral("\u00A9\u20AC\" <b>#x"), QStringLiteral("nextline") }));
    EXPECT_FALSE(layout.canvas.drawings()[0].font.bold);
}

TEST(HTMLRender, BoldTagIgnoresCaseAndLastsAcrossLines)
{
    const Layout layout = render(QStringLiteral("a<B>b<br>c</b>d"), { 0, 0, 300, 100 });
    const auto &drawings = layout.canvas.drawings();
    ASSERT_EQ(drawnTexts(layout.canvas),
        (QStringList {
            QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d") }));
    EXPECT_FALSE(drawings[0].font.bold);
    EXPECT_TRUE(drawings[1].font.bold);
    EXPECT_TRUE(drawings[2].font.bold);
    EXPECT_EQ(drawings[2].rect.top, 13);
    EXPECT_FALSE(drawings[3].font.bold);
}

TEST(HTMLRender, OneClosingFontTagUndoesTwoFontTags)
{
    const Layout layout
        = render(QStringLiteral("<font face=\"Arial\" color=\"#ff8000\">a"
                                "<font face=\"Courier\" color=\"#0000Ff\">b</font>c"),
            { 0, 0, 300, 100 });
    const auto &drawings = layout.canvas.drawings();
    ASSERT_EQ(drawings.size(), 3);
    EXPECT_EQ(drawings[0].font.face, QStringLiteral("ARIAL"));
    EXPECT_EQ(drawings[0].font.color, (Rgb { 255, 128, 0 }));
    EXPECT_EQ(drawings[1].font.face, QStringLiteral("COURIER"));
    EXPECT_EQ(drawings[1].font.color, (Rgb { 0, 0, 255 }));
    EXPECT_EQ(drawings[2].font, labelFont());
}

// The font in which "x" is drawn after the given markup.
CanvasFont fontAfter(const char *markup)
{
    const Layout layout
        = render(QString::fromLatin1(markup) + QStringLiteral("x"), { 0, 0, 300, 100 });
    EXPECT_EQ(layout.canvas.drawings().last().text, QStringLiteral("x"));
    return layout.canvas.drawings().last().font;
}

struct TagCase
{
    const char *markup;
    bool bold;
    bool italic;
    bool underline;
    bool strikeOut;
};

class HTMLRenderTags : public testing::TestWithParam<TagCase>
{
};

TEST_P(HTMLRenderTags, SwitchStyles)
{
    const CanvasFont font = fontAfter(GetParam().markup);
    EXPECT_EQ(font.bold, GetParam().bold);
    EXPECT_EQ(font.italic, GetParam().italic);
    EXPECT_EQ(font.underline, GetParam().underline);
    EXPECT_EQ(font.strikeOut, GetParam().strikeOut);
}

INSTANTIATE_TEST_SUITE_P(OddForms, HTMLRenderTags,
    testing::Values(TagCase { "<b><b></b>", false, false, false, false },
        TagCase { "<b></bx>", true, false, false, false },
        TagCase { "<bx>", false, false, false, false },
        TagCase { "<i><u><s>", false, true, true, true },
        TagCase { "<i><u></i whatever></uu>", false, false, false, false },
        TagCase { "<s></sh>", false, false, false, true },
        TagCase { "<s></sx>", false, false, false, false },
        TagCase { "<s></sub>", false, false, false, true },
        TagCase { "<s></>", false, false, false, true },
        TagCase { "<i>< >", false, true, false, false },
        TagCase { "<u><font color=\"#123456\">", false, false, true, false }));

struct ColorCase
{
    const char *markup;
    Rgb color;
};

class HTMLRenderColors : public testing::TestWithParam<ColorCase>
{
};

TEST_P(HTMLRenderColors, ReadFontColors)
{
    EXPECT_EQ(fontAfter(GetParam().markup).color, GetParam().color);
}

INSTANTIATE_TEST_SUITE_P(HexRule, HTMLRenderColors,
    testing::Values(ColorCase { "<FONT color=\"#008000\">", { 0, 128, 0 } },
        ColorCase { "<font COLOR=\"#ff8000\">", { 255, 128, 0 } },
        // Digits beyond F count on from "A"; a channel keeps the low eight bits.
        ColorCase { "<font color=\"#GG0000\">", { 16, 0, 0 } },
        ColorCase { "<font color=\"#1234\">", { 18, 52, 0 } },
        ColorCase { "<font color=\"#\">", { 0, 0, 0 } },
        ColorCase { "<font color=\"\">", { 1, 2, 3 } },
        ColorCase { "<font color=#FF0000>", { 1, 2, 3 } },
        ColorCase { "<font color=\"red\">", { 1, 2, 3 } },
        ColorCase { "<fontcolor=\"#FF0000\">", { 1, 2, 3 } }));

TEST(HTMLRender, FontFaceNeedsAQuotedValue)
{
    EXPECT_EQ(fontAfter("<font face=\"Arial\">").face, QStringLiteral("ARIAL"));
    for (const char *markup : { "<font face=Arial>", "<font face=\"\">", "<font face=\"Arial>" })
        EXPECT_EQ(fontAfter(markup).face, QStringLiteral("Tahoma")) << markup;
}

TEST(HTMLRender, SubAndSupEndWithTheLine)
{
    const Layout layout = render(QStringLiteral("a<sub>b<br>c<sup>d</sup>e"), { 0, 0, 300, 100 });
    const auto &drawings = layout.canvas.drawings();
    ASSERT_EQ(drawings.size(), 5);
    EXPECT_EQ(drawings[0].rect, (TextRect { 0, 0, 300, 13 }));
    EXPECT_EQ(drawings[1].rect, (TextRect { 5, 0, 300, 16 }));
    EXPECT_EQ(drawings[2].rect, (TextRect { 0, 16, 300, 32 }));
    EXPECT_EQ(drawings[3].rect, (TextRect { 5, 16, 300, 29 }));
    EXPECT_EQ(drawings[4].rect, (TextRect { 10, 16, 300, 32 }));
    EXPECT_EQ(layout.size.height, 32);
}

TEST(HTMLRender, LineSpacingAddsToEveryLine)
{
    const Layout layout = render(QStringLiteral("a<br>b"), { 0, 0, 300, 100 }, true, 4);
    EXPECT_EQ(layout.canvas.drawings()[1].rect.top, 17);
    EXPECT_EQ(layout.size.height, 34);
}

// After "a", the next line starts at 13; it is laid out while 13 + 13 (the start height of
// the line just drawn) stays within the bottom, though the raised line would need 16.
TEST(HTMLRender, CutOffUsesTheStartHeightOfTheLineJustDrawn)
{
    const QString markup = QStringLiteral("a<br><sup>b</sup>");
    EXPECT_EQ(render(markup, { 0, 0, 300, 26 }).canvas.drawings().size(), 2);
    EXPECT_EQ(render(markup, { 0, 0, 300, 25 }).canvas.drawings().size(), 1);
}

TEST(HTMLRender, BrokenTagsDropTheRestOfTheText)
{
    EXPECT_EQ(drawnTexts(render(QStringLiteral("ab <i never closed"), { 0, 0, 300, 100 }).canvas),
        (QStringList { QStringLiteral("ab ") }));
    EXPECT_EQ(drawnTexts(render(QStringLiteral("ab<x"), { 0, 0, 300, 100 }).canvas),
        (QStringList { QStringLiteral("ab") }));
    EXPECT_EQ(drawnTexts(render(QStringLiteral("a<zz>b"), { 0, 0, 300, 100 }).canvas),
        (QStringList { QStringLiteral("a"), QStringLiteral("b") }));
}

TEST(HTMLRender, WithoutWrapRunsPastTheEdgeAreElidedOrSkipped)
{
    const Layout layout = render(QStringLiteral("aaaa<b>bbbbbb</b>cc"), { 0, 0, 40, 100 }, false);
    const auto &drawings = layout.canvas.drawings();
    ASSERT_EQ(drawings.size(), 2);
    EXPECT_FALSE(drawings[0].elided);
    EXPECT_TRUE(drawings[1].elided);
    EXPECT_EQ(drawings[1].rect.left, 20);
    EXPECT_EQ(layout.size.width, 20 + 36 + 10 + 2);
}

TEST(HTMLRender, TabsExpandToStopsOfEightCharacters)
{
    const Layout layout = render(QStringLiteral("ab\tc<b>d"), { 0, 0, 300, 100 }, false);
    EXPECT_EQ(layout.canvas.drawings()[1].rect.left, 40 + 5);
}

} // namespace
} // namespace quiltmap::widgets
