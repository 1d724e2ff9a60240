#pragma once

#include "widgets/text_canvas.h"

#include <QList>

namespace quiltmap::widgets {

// A text canvas with fixed metrics and no fonts, for tests: every shown character is
// pixelHeight / 2 pixels wide (one more in bold), the cell is pixelHeight + 2 high, and every
// drawing is recorded.
class FakeTextCanvas : public TextCanvas
{
public:
    struct Drawing
    {
        QString text;
        TextRect rect;
        CanvasFont font;
        bool elided = false;
    };

    explicit FakeTextCanvas(CanvasFont font);

    CanvasFont font() const override { return m_font; }
    void setFont(const CanvasFont &font) override;
    int cellHeight() const override;
    int textWidth(QStringView text, TextFlags flags) const override;
    void drawText(QStringView text, const TextRect &rect, TextFlags flags) override;

    int charWidth() const;
    const QList<Drawing> &drawings() const { return m_drawings; }
    // One line per drawing: "left,top,right,bottom [BIUS] FACE #rrggbb text", for golden files.
    QString dump() const;

private:
    OneLineLayout layout(QStringView text, bool prefix) const;

    CanvasFont m_font;
    QList<Drawing> m_drawings;
};

} // namespace quiltmap::widgets
