#pragma once

#include <QtGlobal>
#include <cstddef>
#include <vector>

namespace quiltmap::aniicon {

// A decoded frame: rows top to bottom, each pixel one 0xAARRGGBB value, not premultiplied.
// A null image (no pixels) stands for an empty frame slot.
struct ArgbImage
{
    int width = 0;
    int height = 0;
    std::vector<quint32> pixels;

    bool isNull() const { return pixels.empty(); }
    quint32 pixel(int x, int y) const
    {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width)
            + static_cast<std::size_t>(x)];
    }
};

} // namespace quiltmap::aniicon
