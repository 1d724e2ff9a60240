#include "sheet/raster.h"

#include "common/error.h"

#include <QString>
#include <algorithm>
#include <limits>
#include <new>

namespace quiltmap::sheet {

Raster Raster::white(int width, int height)
{
    return filled(width, height, 3, { 0xFF, 0xFF, 0xFF, 0xFF });
}

Raster Raster::filled(int width, int height, int channels, std::array<std::uint8_t, 4> pixel)
{
    if (width < 0 || height < 0)
        throw Error(QStringLiteral("Ungültige Bildgröße %1 x %2").arg(width).arg(height));
    const std::uint64_t bytes = std::uint64_t(width) * std::uint64_t(height) * channels;
    if (bytes > std::numeric_limits<std::ptrdiff_t>::max())
        throw Error(QStringLiteral("Bild mit %1 x %2 Pixeln ist zu groß").arg(width).arg(height));
    Raster raster;
    try {
        raster.m_pixels.assign(static_cast<std::size_t>(bytes), pixel[0]);
    } catch (const std::bad_alloc &) {
        throw Error(QStringLiteral("Zu wenig Arbeitsspeicher für ein Bild mit %1 x %2 Pixeln")
                        .arg(width)
                        .arg(height));
    }
    if (std::any_of(pixel.begin(), pixel.begin() + channels, [&](auto v) { return v != pixel[0]; }))
        for (std::size_t i = 0; i < raster.m_pixels.size(); i += std::size_t(channels))
            std::copy_n(pixel.begin(), channels, raster.m_pixels.begin() + std::ptrdiff_t(i));
    raster.m_width = width;
    raster.m_height = height;
    raster.m_channels = channels;
    return raster;
}

} // namespace quiltmap::sheet
