#include "sheet/sheet_bands.h"

#include "common/large_blocks.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <new>

namespace quiltmap::sheet {
namespace {

// Bands come one by one while they hold little, then in blocks of half what they hold and at
// least a huge page, which come in huge pages.
constexpr std::size_t singleBandsUpTo = largeBlocksFrom;
constexpr std::size_t maxBlockBytes = 4 * hugePageBytes;

int rowsPerBand(std::size_t bytesPerRow, int height, std::size_t bandBytes)
{
    if (bytesPerRow == 0)
        return std::max(height, 1);
    return int(std::clamp<std::size_t>(bandBytes / bytesPerRow, 1, std::size_t(INT_MAX)));
}

} // namespace

SheetBands::SheetBands(int width, int height, int channels, std::array<std::uint8_t, 4> background,
    std::size_t heldBytes, std::size_t bandBytes)
    : m_width(width)
    , m_height(height)
    , m_channels(channels)
    , m_background(background)
    , m_bandRows(rowsPerBand(std::size_t(width) * std::size_t(channels), height, bandBytes))
    , m_bandBytes(std::size_t(width) * std::size_t(channels) * std::size_t(m_bandRows))
    , m_maxBands(std::max<std::size_t>(2,
          heldBytes
              / std::max<std::size_t>(1, std::size_t(width) * std::size_t(channels) * m_bandRows)))
{ }

void SheetBands::FreeBytes::operator()(std::uint8_t *bytes) const
{
    std::free(bytes);
}

// Called with the mutex held.
std::uint8_t *SheetBands::takeBandMemory()
{
    if (m_free.empty()) {
        const std::size_t bandBytes = std::max<std::size_t>(m_bandBytes, 1);
        std::size_t bytes = m_blockBytes < singleBandsUpTo
            ? bandBytes
            : std::max(bandBytes,
                std::clamp(m_blockBytes / 2, hugePageBytes, maxBlockBytes) / bandBytes * bandBytes);
        // A block takes whole huge pages: the rest of the last serves bands too.
        std::uint8_t *memory = nullptr;
        try {
            bytes = largeBlockBytes(bytes);
            memory = static_cast<std::uint8_t *>(allocateLargeBlock(bytes));
        } catch (const std::bad_alloc &) {
            throwOutOfImageMemory(m_width, m_bandRows);
        }
        m_blocks.emplace_back(memory);
        m_blockBytes += bytes;
        for (std::size_t at = bytes / bandBytes; at-- > 0;)
            m_free.push_back(memory + at * bandBytes);
    }
    std::uint8_t *memory = m_free.back();
    m_free.pop_back();
    return memory;
}

// Called with the mutex held. Bands come into being in order, each filled with the background.
std::uint8_t *SheetBands::band(int index)
{
    if (index < m_firstBand)
        throw std::logic_error("SheetBands: a released row was asked for");
    while (index >= m_firstBand + int(m_bands.size())) {
        const std::int64_t top = std::int64_t(m_firstBand + int(m_bands.size())) * m_bandRows;
        const auto rows = std::size_t(std::min<std::int64_t>(m_bandRows, m_height - top));
        std::uint8_t *memory = takeBandMemory();
        fillPixels({ memory, rows * bytesPerRow() }, m_channels, m_background);
        m_bands.push_back(memory);
    }
    return m_bands[std::size_t(index - m_firstBand)];
}

RasterBand SheetBands::drawingRows(int top, int bottom)
{
    std::unique_lock lock(m_mutex);
    if (top < m_final)
        throw std::logic_error("SheetBands: drawing on a final row");
    const int index = top / m_bandRows;
    // A writer waiting for rows that are not final yet waits for this drawing: it goes on.
    m_roomChanged.wait(lock, [&] {
        return index < m_firstBand + int(m_bands.size()) || m_bands.size() < m_maxBands
            || m_wanted != INT_MAX || m_readingStopped;
    });
    std::uint8_t *held = band(index);
    const int bandTop = index * m_bandRows;
    return { held + std::size_t(top - bandTop) * bytesPerRow(), m_width, m_channels, top,
        std::min({ bandTop + m_bandRows, m_height, bottom }) };
}

void SheetBands::publish(int rows)
{
    bool wake = false;
    {
        const std::lock_guard lock(m_mutex);
        m_final = std::clamp(rows, m_final, m_height);
        wake = m_final >= m_wanted;
        if (wake)
            m_wanted = INT_MAX;
        if (m_readingStopped)
            dropPassedBands();
    }
    if (wake)
        m_finalChanged.notify_all();
}

void SheetBands::abandon()
{
    {
        const std::lock_guard lock(m_mutex);
        m_abandoned = true;
    }
    m_finalChanged.notify_all();
}

const std::uint8_t *SheetBands::row(int y)
{
    std::unique_lock lock(m_mutex);
    // The drawing publishes after every tile; it wakes the writer only once the rows one of
    // its threads waits for are there, and then they all say again what they wait for.
    while (m_final <= y && !m_abandoned) {
        m_wanted = std::min(m_wanted, y + 1);
        m_roomChanged.notify_one();
        m_finalChanged.wait(lock);
    }
    if (m_final <= y)
        throw Abandoned();
    return band(y / m_bandRows) + std::size_t(y % m_bandRows) * bytesPerRow();
}

void SheetBands::release(int rows)
{
    {
        const std::lock_guard lock(m_mutex);
        m_released = std::max(m_released, std::min(rows, m_final));
        dropPassedBands();
    }
    m_roomChanged.notify_one();
}

void SheetBands::stopReading()
{
    {
        const std::lock_guard lock(m_mutex);
        m_readingStopped = true;
        dropPassedBands();
    }
    m_roomChanged.notify_one();
}

std::size_t SheetBands::peakHeldBytes() const
{
    const std::lock_guard lock(m_mutex);
    return m_blockBytes;
}

// Called with the mutex held. With the writer gone, rows are let go as soon as they are final.
void SheetBands::dropPassedBands()
{
    if (m_readingStopped)
        m_released = m_final;
    if (m_bands.empty())
        m_firstBand = std::max(m_firstBand, m_released / m_bandRows);
    while (!m_bands.empty() && (m_firstBand + 1) * std::int64_t(m_bandRows) <= m_released) {
        m_free.push_back(m_bands.front());
        m_bands.pop_front();
        ++m_firstBand;
    }
}

} // namespace quiltmap::sheet
