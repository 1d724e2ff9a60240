#include "sheet/png_writer.h"

#include "deflate/zlib_stream.h"
#include "sheet/png_format.h"

#include <QIODevice>
#include <array>
#include <cstring>
#include <span>
#include <vector>
#include <zlib.h>

namespace quiltmap::sheet {
namespace {

constexpr std::size_t idatSize = 65535;
constexpr std::uint8_t subFilter = 1;

void putU32(std::uint8_t *p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

// A chunk assembled in one buffer (length, type, data, CRC) so it leaves in a single write.
class ChunkBuffer
{
public:
    ChunkBuffer(const char (&type)[5], std::size_t capacity)
        : m_bytes(capacity + 12)
    {
        std::copy(type, type + 4, m_bytes.begin() + 4);
    }

    std::uint8_t *data() { return m_bytes.data() + 8; }

    bool write(QIODevice &out, std::size_t length)
    {
        putU32(m_bytes.data(), static_cast<std::uint32_t>(length));
        const uLong crc = crc32(0, m_bytes.data() + 4, static_cast<uInt>(length + 4));
        putU32(m_bytes.data() + 8 + length, static_cast<std::uint32_t>(crc));
        const auto total = static_cast<qint64>(length + 12);
        return out.write(reinterpret_cast<const char *>(m_bytes.data()), total) == total;
    }

private:
    std::vector<std::uint8_t> m_bytes;
};

// Cuts the compressed stream into IDAT chunks, sending each out as soon as it holds 65535 bytes.
class IdatStream
{
public:
    explicit IdatStream(QIODevice &out)
        : m_out(out)
    { }

    bool add(std::span<const std::uint8_t> bytes)
    {
        while (!bytes.empty()) {
            const std::size_t n = std::min(idatSize - m_pending, bytes.size());
            std::memcpy(m_chunk.data() + m_pending, bytes.data(), n);
            m_pending += n;
            bytes = bytes.subspan(n);
            if (m_pending == idatSize) {
                if (!m_chunk.write(m_out, idatSize))
                    return false;
                m_pending = 0;
            }
        }
        return true;
    }

    bool finish() { return m_pending == 0 || m_chunk.write(m_out, m_pending); }

private:
    QIODevice &m_out;
    ChunkBuffer m_chunk { "IDAT", idatSize };
    std::size_t m_pending = 0;
};

// The rows of a raster that is already drawn.
class RasterRows : public SheetRows
{
public:
    explicit RasterRows(const Raster &raster)
        : m_raster(raster)
    { }

    int width() const override { return m_raster.width(); }
    int height() const override { return m_raster.height(); }
    int channels() const override { return m_raster.channels(); }
    const std::uint8_t *row(int y) override { return m_raster.row(y); }
    void release(int) override { }

private:
    const Raster &m_raster;
};

bool writeHeader(const SheetRows &rows, QIODevice &out)
{
    ChunkBuffer header("IHDR", 13);
    std::uint8_t *d = header.data();
    putU32(d, static_cast<std::uint32_t>(rows.width()));
    putU32(d + 4, static_cast<std::uint32_t>(rows.height()));
    d[8] = 8; // bit depth
    d[9] = rows.channels() == 4 ? 6 : 2; // colour type: RGBA or RGB
    d[10] = d[11] = d[12] = 0; // compression, filter method, no interlacing
    return header.write(out, 13);
}

// One filtered row: the filter type, then each byte minus the byte one pixel to its left.
void subFilterRow(SheetRows &rows, int y, std::uint8_t *out)
{
    const std::uint8_t *row = rows.row(y);
    const std::size_t rowBytes = rows.bytesPerRow();
    const auto pixelBytes = static_cast<std::size_t>(rows.channels());
    out[0] = subFilter;
    std::copy(row, row + std::min(pixelBytes, rowBytes), out + 1);
    for (std::size_t i = pixelBytes; i < rowBytes; ++i)
        out[1 + i] = static_cast<std::uint8_t>(row[i] - row[i - pixelBytes]);
}

// The filtered rows as one byte sequence, read from any position: our deflate asks for
// overlapping stretches from several threads.
void copyFilteredRows(SheetRows &rows, std::size_t from, std::span<std::uint8_t> out)
{
    const std::size_t filteredRow = rows.bytesPerRow() + 1;
    std::vector<std::uint8_t> row;
    while (!out.empty()) {
        const std::size_t offset = from % filteredRow;
        const std::size_t n = std::min(filteredRow - offset, out.size());
        const int y = static_cast<int>(from / filteredRow);
        if (n == filteredRow) {
            subFilterRow(rows, y, out.data());
        } else {
            row.resize(filteredRow);
            subFilterRow(rows, y, row.data());
            std::memcpy(out.data(), row.data() + offset, n);
        }
        out = out.subspan(n);
        from += n;
    }
}

bool writeRows(SheetRows &rows, IdatStream &idat, unsigned threads)
{
    const std::size_t filteredRow = rows.bytesPerRow() + 1;
    // zlib's bytes depend on how its input was cut into calls: the model is one row per call.
    return deflate::writeZlibStream(
               filteredRow * static_cast<std::size_t>(rows.height()), filteredRow, threads,
               [&rows](std::size_t from, std::span<std::uint8_t> out) {
                   copyFilteredRows(rows, from, out);
               },
               [&idat](std::span<const std::uint8_t> bytes) { return idat.add(bytes); },
               [&rows, filteredRow](std::size_t position) {
                   rows.release(static_cast<int>(position / filteredRow));
               })
        && idat.finish();
}

} // namespace

bool writeSheetPng(const Raster &raster, QIODevice &out, unsigned threads)
{
    RasterRows rows(raster);
    return writeSheetPng(rows, out, threads);
}

bool writeSheetPng(SheetRows &rows, QIODevice &out, unsigned threads)
{
    if (out.write(reinterpret_cast<const char *>(pngSignature.data()), pngSignature.size())
            != qint64(pngSignature.size())
        || !writeHeader(rows, out))
        return false;

    IdatStream idat(out);
    if (!writeRows(rows, idat, threads))
        return false;
    ChunkBuffer end("IEND", 0);
    return end.write(out, 0);
}

} // namespace quiltmap::sheet
