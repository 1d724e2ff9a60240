#pragma once

#include "widgets/text_canvas.h"

#include <QStringView>

namespace quiltmap::widgets {

enum class RenderPass { Measuring, Drawing };

// Raised and lowered runs; both end with the line.
struct ScriptShift
{
    bool sub = false;
    bool sup = false;
};

// Interprets the tag at the front of `text` (which starts with "<" and holds more than two
// characters) on `font`. `base` is the font a closing FONT tag returns to; it restores the
// colour in the drawing pass only. Returns true when the tag ends the line ("<BR>").
bool applyTag(QStringView text, CanvasFont &font, ScriptShift &shift, const CanvasFont &base,
    RenderPass pass);

// Reads "#RRGGBB": each pair counts a character from "A" on as its code minus "A" plus 10 and
// any other as its code minus "0"; a pair cut short by the end of the value is 0.
Rgb hexColor(QStringView value);

} // namespace quiltmap::widgets
