#include "sheet/raster.h"

#include "common/error.h"

#include <QString>
#include <limits>
#include <new>

namespace quiltmap::sheet {

Raster Raster::white(int width, int height)
{
    if (width < 0 || height < 0)
        throw Error(QStringLiteral("Ungültige Bildgröße %1 x %2").arg(width).arg(height));
    const std::uint64_t bytes = std::uint64_t(width) * std::uint64_t(height) * 3;
    if (bytes > std::numeric_limits<std::ptrdiff_t>::max())
        throw Error(QStringLiteral("Bild mit %1 x %2 Pixeln ist zu groß").arg(width).arg(height));
    Raster raster;
    try {
        raster.m_pixels.assign(static_cast<std::size_t>(bytes), 0xFF);
    } catch (const std::bad_alloc &) {
        throw Error(QStringLiteral("Zu wenig Arbeitsspeicher für ein Bild mit %1 x %2 Pixeln")
                        .arg(width)
                        .arg(height));
    }
    raster.m_width = width;
    raster.m_height = height;
    return raster;
}

} // namespace quiltmap::sheet
