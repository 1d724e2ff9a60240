#include "widgets/html_render.h"

#include "widgets/markup_tags.h"
#include "widgets/markup_text.h"

#include <algorithm>

namespace quiltmap::widgets {
namespace {

// The run at the front of `text`. In wrap mode a run is one word with the space after it;
// a tag always ends a run, so the run is empty when the text starts with "<".
QStringView cutRun(QStringView text, bool wrap)
{
    const qsizetype tag = text.indexOf(u'<');
    if (wrap) {
        const qsizetype space = text.indexOf(u' ');
        if (space >= 0 && (tag < 0 || space < tag))
            return text.first(space + 1);
    }
    return tag >= 0 ? text.first(tag) : text;
}

// The render state of one HTMLRender call.
class MarkupRenderer
{
public:
    MarkupRenderer(TextCanvas &canvas, bool wrap, bool prefix)
        : m_canvas(canvas)
        , m_base(canvas.font())
        , m_wrap(wrap)
        , m_flags { prefix, !wrap }
    { }

    RenderSize render(QStringView text, const TextRect &rect, int lineSpacing);

private:
    QStringView HTMLRenderLine(QStringView &text, const TextRect &rect, RenderPass pass);
    int measureRun(const QString &shown);
    bool fitsLine(int width, const TextRect &rect);
    void drawRun(const QString &shown, int x, const TextRect &box);

    TextCanvas &m_canvas;
    const CanvasFont m_base;
    const bool m_wrap;
    const TextFlags m_flags;

    ScriptShift m_shift;
    int m_subExtra = 0;
    int m_supExtra = 0;
    int m_lineHeight = 0;
    int m_lineWidth = 0;
    int m_trailingSpace = 0;
};

RenderSize MarkupRenderer::render(QStringView text, const TextRect &rect, int lineSpacing)
{
    RenderSize size;
    bool laidOut = false;
    CanvasFont measuringFont = m_base;
    CanvasFont drawingFont = m_base;
    int top = rect.top;
    while (!text.isEmpty()) {
        m_canvas.setFont(measuringFont);
        m_shift = {};
        m_subExtra = 0;
        m_supExtra = 0;
        m_lineWidth = 0;
        // The font where the line begins sets its least height and the room the next line needs.
        const int startHeight = m_canvas.cellHeight();
        m_lineHeight = startHeight;
        text = trimControls(text);

        const QStringView lineMarkup = HTMLRenderLine(
            text, { rect.left, top, rect.right, rect.bottom }, RenderPass::Measuring);
        measuringFont = m_canvas.font();
        m_lineHeight += lineSpacing;

        const TextRect box { rect.left, top, rect.right,
            top + m_lineHeight + m_subExtra + m_supExtra };
        m_canvas.setFont(drawingFont);
        m_shift = {};
        QStringView replay = lineMarkup;
        HTMLRenderLine(replay, box, RenderPass::Drawing);
        drawingFont = m_canvas.font();

        const int advance = m_lineHeight + m_subExtra + m_supExtra;
        top += advance;
        size.height += advance;
        laidOut = true;
        if (m_lineWidth > size.width)
            size.width = m_lineWidth + 2;
        if (top + startHeight > rect.bottom)
            break;
    }
    m_canvas.setFont(m_base);
    if (!laidOut)
        size.height = m_canvas.cellHeight();
    return size;
}

// Measuring: takes one line's markup off the front of `text` and returns it, leaving the
// line's width, height and SUB/SUP extras in the state. Drawing: draws the markup in `text`,
// which the measuring pass took, so every run fits.
QStringView MarkupRenderer::HTMLRenderLine(QStringView &text, const TextRect &rect, RenderPass pass)
{
    const QStringView start = text;
    qsizetype taken = 0;
    int x = rect.left;
    bool ended = false;
    m_trailingSpace = 0;
    while (!text.isEmpty() && !ended) {
        const QStringView run = cutRun(text, m_wrap);
        if (!run.isEmpty()) {
            const QString shown = replaceRunEntities(run);
            const int width = measureRun(shown);
            if (pass == RenderPass::Drawing) {
                drawRun(shown, x, rect);
                x += width;
            } else if (!fitsLine(width, rect)) {
                break;
            } else {
                const bool endsInSpace = run.endsWith(u' ') && shown.size() == run.size();
                m_trailingSpace = endsInSpace ? m_canvas.textWidth(u" ", m_flags) : 0;
            }
            text = text.sliced(run.size());
            taken += run.size();
        }
        if (!text.startsWith(u'<'))
            continue;
        if (text.size() <= 2) {
            text = {};
            break;
        }
        CanvasFont font = m_canvas.font();
        ended = applyTag(text, font, m_shift, m_base, pass);
        m_canvas.setFont(font);
        // A tag that no ">" closes drops the rest of the text.
        const qsizetype close = text.indexOf(u'>');
        if (close < 0) {
            text = {};
            break;
        }
        text = text.sliced(close + 1);
        taken += close + 1;
    }
    if (pass == RenderPass::Measuring)
        m_lineWidth -= m_trailingSpace;
    return start.first(taken);
}

// Grows the SUB/SUP extras and the line height for a run in the current font; returns its width.
int MarkupRenderer::measureRun(const QString &shown)
{
    const int cell = m_canvas.cellHeight();
    if (m_shift.sub)
        m_subExtra = std::max(m_subExtra, cell / 4);
    if (m_shift.sup)
        m_supExtra = std::max(m_supExtra, cell / 4);
    m_lineHeight = std::max(m_lineHeight, cell);
    return m_canvas.textWidth(shown, m_flags);
}

// A run fits while the line stays narrower than the rectangle, or when it is that wide on its
// own; out of wrap mode every run is taken.
bool MarkupRenderer::fitsLine(int width, const TextRect &rect)
{
    m_lineWidth += width;
    if (m_lineWidth < rect.width() || width >= rect.width() || !m_wrap)
        return true;
    m_lineWidth -= width;
    return false;
}

// Plain runs stand on the line's bottom less the SUB extra; SUP runs are raised by the SUP
// extra and SUB runs lowered by the SUB extra (a run under both is raised).
void MarkupRenderer::drawRun(const QString &shown, int x, const TextRect &box)
{
    int bottom = box.top + m_lineHeight + m_supExtra;
    if (m_shift.sup)
        bottom = box.top + m_lineHeight;
    else if (m_shift.sub)
        bottom += m_subExtra;
    if (!m_wrap && x >= box.right - m_canvas.textWidth(u"w", m_flags))
        return;
    m_canvas.drawText(shown, { x, box.top, box.right, bottom }, m_flags);
}

} // namespace

RenderSize HTMLRender(
    TextCanvas &canvas, const QString &markup, const TextRect &rect, bool wrap, int lineSpacing)
{
    const PreparedMarkup prepared = prepareMarkup(markup);
    MarkupRenderer renderer(canvas, wrap, prepared.prefix);
    return renderer.render(prepared.text, rect, lineSpacing);
}

} // namespace quiltmap::widgets
