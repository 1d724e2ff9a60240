#pragma once

#include "widgets/text_canvas.h"

namespace quiltmap::widgets {

// Laid-out size of a markup text: the widest line plus 2 (0 when no line has width) and the
// sum of the line advances (the base font's cell height when no line was laid out).
struct RenderSize
{
    int width = 0;
    int height = 0;
};

// Lays the markup out in lines no wider than `rect` and draws them from its top downwards in
// the canvas's current font. Wrap mode breaks lines at spaces; `lineSpacing` is added to every
// line. Any text is accepted; the canvas font is restored at the end.
RenderSize HTMLRender(
    TextCanvas &canvas, const QString &markup, const TextRect &rect, bool wrap, int lineSpacing);

} // namespace quiltmap::widgets
