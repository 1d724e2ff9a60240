// Lays arbitrary markup out on the fixed-metric canvas. The first bytes choose the rectangle,
// wrap mode and line spacing; the rest is the markup as UTF-8. Beyond memory errors it checks
// that the canvas font comes back and that nothing is drawn outside the rectangle's columns.
#include "widgets/html_render.h"
#include "widgets/text_canvas_fake.h"

#include <cstdint>
#include <cstdlib>

namespace {

constexpr size_t kHeaderSize = 4;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace quiltmap::widgets;
    if (size < kHeaderSize)
        return 0;
    const bool wrap = (data[0] & 1) != 0;
    const int lineSpacing = (data[0] >> 1) % 8 - 2;
    const TextRect rect { 0, 0, data[1] * 2, data[2] };
    CanvasFont base;
    base.face = QStringLiteral("Tahoma");
    base.pixelHeight = 5 + data[3] % 20;
    const QString markup = QString::fromUtf8(
        reinterpret_cast<const char *>(data + kHeaderSize), qsizetype(size - kHeaderSize));

    FakeTextCanvas canvas(base);
    const RenderSize laidOut = HTMLRender(canvas, markup, rect, wrap, lineSpacing);
    if (!(canvas.font() == base) || laidOut.width < 0 || laidOut.height < 0)
        std::abort();
    for (const auto &drawing : canvas.drawings()) {
        if (drawing.rect.left < rect.left || drawing.rect.right != rect.right
            || drawing.rect.top < rect.top || drawing.rect.top > rect.bottom)
            std::abort();
    }
    return 0;
}
