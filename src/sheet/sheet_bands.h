#pragma once

#include "sheet/raster.h"
#include "sheet/sheet_rows.h"

#include <array>
#include <climits>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace quiltmap::sheet {

// A sheet drawn and written at once, held in bands of rows: the drawing (one thread) asks for the
// rows each tile covers and publishes which rows are final; the writer reads final rows and
// releases those it has moved past, whose memory then serves rows further down. Memory thus
// depends on the sheet's width and on how far tiles reach down, not on the sheet's height. Rows
// nobody drew on read as the background.
class SheetBands : public SheetRows
{
public:
    // The drawing stopped before the rows the writer waited for were final.
    class Abandoned : public std::runtime_error
    {
    public:
        Abandoned()
            : std::runtime_error("the sheet's drawing was abandoned")
        { }
    };

    // Bands of about this size: large enough that a band is rarely asked for, small enough
    // that the rows held follow the tiles closely.
    static constexpr std::size_t defaultBandBytes = std::size_t(256) << 10;

    // `background` is red, green, blue, alpha (alpha unused with 3 channels). The drawing holds
    // about `heldBytes` of rows before it waits for the writer to release some; it goes on past
    // that while the writer waits for rows that are not final yet. A band is as many rows as
    // fit `bandBytes`, at least one. Throws quiltmap::Error when a band cannot be had.
    SheetBands(int width, int height, int channels, std::array<std::uint8_t, 4> background,
        std::size_t heldBytes, std::size_t bandBytes = defaultBandBytes);

    int width() const override { return m_width; }
    int height() const override { return m_height; }
    int channels() const override { return m_channels; }

    // The drawing's side. drawingRows gives rows from `top` on, up to `bottom` or the end of
    // the band holding `top`, whichever comes first; `top` must not be final yet.
    RasterBand drawingRows(int top, int bottom);
    // Rows 0 to rows - 1 are final: no tile is drawn on them any more.
    void publish(int rows);
    // The drawing stopped: the writer's waits end with Abandoned.
    void abandon();

    // The writer's side. row() waits until the row is final.
    const std::uint8_t *row(int y) override;
    void release(int rows) override;
    // The writer has stopped: the drawing no longer waits for it, and final rows are let go.
    void stopReading();

    // The most memory the rows held at once took.
    std::size_t peakHeldBytes() const;

private:
    struct FreeBytes
    {
        void operator()(std::uint8_t *bytes) const;
    };

    std::uint8_t *band(int index);
    std::uint8_t *takeBandMemory();
    void dropPassedBands();

    const int m_width;
    const int m_height;
    const int m_channels;
    const std::array<std::uint8_t, 4> m_background;
    const int m_bandRows;
    const std::size_t m_bandBytes;
    const std::size_t m_maxBands;

    mutable std::mutex m_mutex;
    // The writer waits for final rows, the drawing for room.
    std::condition_variable m_finalChanged;
    std::condition_variable m_roomChanged;
    // Bands m_firstBand, m_firstBand + 1, ...; rows above the first were released.
    std::deque<std::uint8_t *> m_bands;
    // Band memory comes in blocks once bands hold a few MiB, so that a wide sheet whose tiles
    // keep many bands at once has them in blocks the system can map in huge pages instead of a
    // fault per 4 KiB. Bands let go serve later ones; blocks are kept until the end.
    std::vector<std::unique_ptr<std::uint8_t[], FreeBytes>> m_blocks;
    std::vector<std::uint8_t *> m_free;
    std::size_t m_blockBytes = 0;
    int m_firstBand = 0;
    int m_final = 0;
    int m_released = 0;
    // The fewest rows a writer thread waits for; INT_MAX while none waits for rows not final.
    int m_wanted = INT_MAX;
    bool m_abandoned = false;
    bool m_readingStopped = false;
};

} // namespace quiltmap::sheet
