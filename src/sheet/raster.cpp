#include "sheet/raster.h"

#include "common/error.h"

#include <QString>
#include <algorithm>
#include <limits>
#include <mutex>
#include <new>

namespace quiltmap::sheet {
namespace {

// A sheet is mostly followed by another of the same size: every composition starts a new one
// and lets the previous one go first. Keeping the last large buffer for it spares the system
// mapping and zeroing a hundred megabytes of fresh pages again; smaller rasters are not worth
// it, and a buffer more than twice the size asked for is let go rather than held.
constexpr std::size_t minRecycledBytes = std::size_t(16) << 20;

struct SpareBuffer
{
    std::mutex mutex;
    Raster::Pixels pixels;
};

SpareBuffer &spareBuffer()
{
    static SpareBuffer spare;
    return spare;
}

Raster::Pixels takeSpareBuffer(std::size_t bytes)
{
    Raster::Pixels taken;
    if (bytes < minRecycledBytes)
        return taken;
    SpareBuffer &spare = spareBuffer();
    const std::lock_guard lock(spare.mutex);
    if (spare.pixels.capacity() >= bytes && spare.pixels.capacity() / 2 <= bytes)
        taken.swap(spare.pixels);
    else
        spare.pixels = {};
    return taken;
}

void keepSpareBuffer(Raster::Pixels &pixels)
{
    if (pixels.capacity() < minRecycledBytes)
        return;
    SpareBuffer &spare = spareBuffer();
    const std::lock_guard lock(spare.mutex);
    spare.pixels.swap(pixels);
}

} // namespace

Raster::~Raster()
{
    keepSpareBuffer(m_pixels);
}

Raster Raster::white(int width, int height)
{
    return filled(width, height, 3, { 0xFF, 0xFF, 0xFF, 0xFF });
}

Raster Raster::filled(int width, int height, int channels, std::array<std::uint8_t, 4> pixel)
{
    const ErrorFacts size { .code = ErrorCode::SheetTooLarge, .width = width, .height = height };
    if (width < 0 || height < 0)
        throw Error(QStringLiteral("Ungültige Bildgröße %1 x %2").arg(width).arg(height), size);
    const std::uint64_t bytes = std::uint64_t(width) * std::uint64_t(height) * channels;
    if (bytes > std::numeric_limits<std::ptrdiff_t>::max())
        throw Error(
            QStringLiteral("Bild mit %1 x %2 Pixeln ist zu groß").arg(width).arg(height), size);
    Raster raster;
    raster.m_pixels = takeSpareBuffer(static_cast<std::size_t>(bytes));
    try {
        raster.m_pixels.assign(static_cast<std::size_t>(bytes), pixel[0]);
    } catch (const std::bad_alloc &) {
        throwOutOfImageMemory(width, height);
    }
    raster.m_width = width;
    raster.m_height = height;
    raster.m_channels = channels;
    if (std::any_of(pixel.begin(), pixel.begin() + channels, [&](auto v) { return v != pixel[0]; }))
        raster.fill(pixel);
    return raster;
}

void Raster::fill(std::array<std::uint8_t, 4> pixel)
{
    fillPixels(m_pixels, m_channels, pixel);
}

void fillPixels(std::span<std::uint8_t> pixels, int channels, std::array<std::uint8_t, 4> pixel)
{
    if (std::all_of(
            pixel.begin(), pixel.begin() + channels, [&](auto v) { return v == pixel[0]; })) {
        std::fill(pixels.begin(), pixels.end(), pixel[0]);
        return;
    }
    for (std::size_t i = 0; i < pixels.size(); i += std::size_t(channels))
        std::copy_n(pixel.begin(), channels, pixels.begin() + std::ptrdiff_t(i));
}

void throwOutOfImageMemory(int width, int height)
{
    throw Error(QStringLiteral("Zu wenig Arbeitsspeicher für ein Bild mit %1 x %2 Pixeln")
                    .arg(width)
                    .arg(height),
        { .code = ErrorCode::OutOfMemory, .width = width, .height = height });
}

} // namespace quiltmap::sheet
