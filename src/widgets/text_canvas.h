#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <functional>

namespace quiltmap::widgets {

// A 24-bit colour.
struct Rgb
{
    int red = 0;
    int green = 0;
    int blue = 0;
    friend bool operator==(const Rgb &, const Rgb &) = default;
};

// The font state the markup works with: face, character height in pixels, style set, colour.
struct CanvasFont
{
    QString face;
    int pixelHeight = 11;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    Rgb color;
    friend bool operator==(const CanvasFont &, const CanvasFont &) = default;
};

// Rectangle in pixels; right and bottom are exclusive.
struct TextRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    friend bool operator==(const TextRect &, const TextRect &) = default;
};

// How a one-line string is measured and drawn.
struct TextFlags
{
    // Ampersands mark the next character as underlined; "&&" stands for one ampersand.
    bool prefix = false;
    // A string wider than the rectangle ends in "..." (drawing only).
    bool endEllipsis = false;
};

// The text operations the markup layout needs. Strings are one line; tab characters expand to
// stops every eight average character widths, measured from the string's start.
class TextCanvas
{
public:
    virtual ~TextCanvas() = default;

    virtual CanvasFont font() const = 0;
    virtual void setFont(const CanvasFont &font) = 0;
    // Ascent plus descent of the current font, without external leading.
    virtual int cellHeight() const = 0;
    virtual int textWidth(QStringView text, TextFlags flags) const = 0;
    // Draws from the rectangle's left edge with the bottom of the font's cell on its bottom edge,
    // clipped to it, with no background.
    virtual void drawText(QStringView text, const TextRect &rect, TextFlags flags) = 0;
};

// A string as prefix mode shows it: ampersands removed, "&&" as one ampersand, and the
// positions (in the shown text) of the characters drawn underlined.
struct MnemonicText
{
    QString shown;
    QList<qsizetype> underlined;
};
MnemonicText resolveMnemonics(QStringView text);

// A one-line string cut at its tab characters: each piece as shown and its offset from the
// string's start, and the width of the whole.
struct TextPiece
{
    MnemonicText text;
    int x = 0;
};
struct OneLineLayout
{
    QList<TextPiece> pieces;
    int width = 0;
};
// `advance` gives the width of a tab-free shown string; tab stops lie every `tabStop` pixels.
OneLineLayout layoutOneLine(
    QStringView text, bool prefix, int tabStop, const std::function<int(QStringView)> &advance);

} // namespace quiltmap::widgets
