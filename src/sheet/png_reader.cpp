#include "sheet/png_reader.h"

#include "common/error.h"
#include "sheet/byte_cursor.h"
#include "sheet/pixel_buffers.h"
#include "sheet/png_errors.h"
#include "sheet/png_format.h"
#include "sheet/png_inflater.h"
#include "sheet/png_pixels.h"
#include "sheet/png_scanlines.h"

#include <QFile>
#include <QScopeGuard>
#include <QSize>
#include <QString>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace quiltmap::sheet {
namespace {

constexpr std::uint32_t chunkType(const char (&name)[5])
{
    return std::uint32_t(std::uint8_t(name[0])) << 24 | std::uint32_t(std::uint8_t(name[1])) << 16
        | std::uint32_t(std::uint8_t(name[2])) << 8 | std::uint32_t(std::uint8_t(name[3]));
}

constexpr std::uint32_t IHDR = chunkType("IHDR");
constexpr std::uint32_t PLTE = chunkType("PLTE");
constexpr std::uint32_t IDAT = chunkType("IDAT");
constexpr std::uint32_t IEND = chunkType("IEND");
constexpr std::uint32_t tRNS = chunkType("tRNS");
constexpr std::uint32_t gAMA = chunkType("gAMA");

constexpr std::uint32_t maxChunkLength = 0x7FFFFFFF;
// Deflate expands at most about 1032 times; a header claiming more than that from the IDAT bytes
// present cannot be satisfied, so it fails before the output is allocated.
constexpr std::uint64_t maxInflateRatio = 1100;
constexpr std::uint64_t inflateSlack = 4096;
constexpr std::size_t maxKeptFileBytes = std::size_t(16) << 20;

struct Chunk
{
    std::uint32_t type = 0;
    std::span<const std::uint8_t> data;
};

bool isLetter(std::uint8_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A lower-case first letter marks an ancillary chunk, which a reader may skip.
bool isCritical(std::uint32_t type)
{
    return (type & 0x20000000u) == 0;
}

unsigned samplesPerPixel(std::uint8_t colourType)
{
    switch (colourType) {
    case 2:
        return 3;
    case 4:
        return 2;
    case 6:
        return 4;
    default:
        return 1;
    }
}

bool isValidFormat(std::uint8_t colourType, std::uint8_t depth)
{
    switch (colourType) {
    case 0:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

class PngDecoder
{
public:
    PngDecoder(std::span<const std::uint8_t> bytes, const PngLimits &limits, PngInflater &inflater)
        : m_cursor(bytes)
        , m_limits(limits)
        , m_inflater(inflater)
    { }

    Tile decode();
    // Reads no further than the header chunk.
    QSize decodeHeader();

private:
    void readSignature();
    Chunk nextChunk();
    void readHeader(std::span<const std::uint8_t> data);
    void readPalette(std::span<const std::uint8_t> data);
    void readTransparency(std::span<const std::uint8_t> data);
    void readGamma(std::span<const std::uint8_t> data);
    void readImageData(std::span<const std::uint8_t> data);
    void beginImageData(std::size_t firstLength);
    std::uint64_t imageDataAhead() const;
    Tile buildTile();
    bool pixelsAreFilteredRows(const PngPixelFormat &format) const;
    Tile tileFromFilteredRows(const PngPixelFormat &format);

    enum class DataState { Before, Inside, After };

    ByteCursor m_cursor;
    const PngLimits &m_limits;
    PngInflater &m_inflater;
    bool m_haveHeader = false;
    std::uint32_t m_width = 0;
    std::uint32_t m_height = 0;
    std::uint8_t m_bitDepth = 0;
    std::uint8_t m_colourType = 0;
    bool m_interlaced = false;
    ScanlineLayout m_layout;
    std::optional<std::span<const std::uint8_t>> m_palette;
    std::optional<std::span<const std::uint8_t>> m_transparency;
    std::uint32_t m_gamma = 0;
    DataState m_dataState = DataState::Before;
    std::vector<std::uint8_t> m_filtered;
};

void PngDecoder::readSignature()
{
    const auto signature = m_cursor.take(pngSignature.size());
    if (!signature || !std::equal(signature->begin(), signature->end(), pngSignature.begin()))
        throw PngFailure { PngError::InvalidSignature };
}

QSize PngDecoder::decodeHeader()
{
    readSignature();
    const Chunk chunk = nextChunk();
    if (chunk.type != IHDR)
        throw PngFailure { PngError::HeaderNotFirst };
    readHeader(chunk.data);
    return { static_cast<int>(m_width), static_cast<int>(m_height) };
}

Tile PngDecoder::decode()
{
    readSignature();
    for (;;) {
        const Chunk chunk = nextChunk();
        if ((chunk.type == IHDR) == m_haveHeader)
            throw PngFailure { m_haveHeader ? PngError::ChunkOrder : PngError::HeaderNotFirst };
        if (chunk.type != IDAT && m_dataState == DataState::Inside)
            m_dataState = DataState::After;
        switch (chunk.type) {
        case IHDR:
            readHeader(chunk.data);
            break;
        case PLTE:
            readPalette(chunk.data);
            break;
        case IDAT:
            readImageData(chunk.data);
            break;
        case IEND:
            if (m_dataState == DataState::Before)
                throw PngFailure { PngError::NoImageData };
            m_inflater.finish();
            return buildTile();
        case tRNS:
            readTransparency(chunk.data);
            break;
        case gAMA:
            readGamma(chunk.data);
            break;
        default:
            if (isCritical(chunk.type))
                throw PngFailure { PngError::UnknownCriticalChunk };
            break;
        }
    }
}

Chunk PngDecoder::nextChunk()
{
    const auto length = m_cursor.takeU32BigEndian();
    const auto type = m_cursor.take(4);
    if (!length || !type || *length > maxChunkLength)
        throw PngFailure { PngError::Truncated };
    const auto data = m_cursor.take(*length);
    const auto crc = m_cursor.takeU32BigEndian();
    if (!data || !crc)
        throw PngFailure { PngError::Truncated };
    const uLong computed
        = crc32(crc32(0, type->data(), 4), data->data(), static_cast<uInt>(data->size()));
    if (computed != *crc)
        throw PngFailure { PngError::BadCrc };
    if (!std::all_of(type->begin(), type->end(), isLetter))
        throw PngFailure { PngError::BadChunkType };
    return { ByteCursor::readU32BigEndian(type->data()), *data };
}

void PngDecoder::readHeader(std::span<const std::uint8_t> data)
{
    if (data.size() != 13)
        throw PngFailure { PngError::BadHeader };
    m_width = ByteCursor::readU32BigEndian(data.data());
    m_height = ByteCursor::readU32BigEndian(data.data() + 4);
    m_bitDepth = data[8];
    m_colourType = data[9];
    const bool validSize
        = m_width > 0 && m_height > 0 && m_width <= maxChunkLength && m_height <= maxChunkLength;
    if (!validSize || !isValidFormat(m_colourType, m_bitDepth) || data[10] != 0 || data[11] != 0
        || data[12] > 1)
        throw PngFailure { PngError::BadHeader };
    m_interlaced = data[12] == 1;

    const std::uint64_t pixels = std::uint64_t(m_width) * m_height;
    if (m_width > m_limits.maxWidth || m_height > m_limits.maxHeight || pixels > m_limits.maxPixels)
        throw PngFailure { PngError::TooLarge };
    m_layout = scanlineLayout(
        m_width, m_height, samplesPerPixel(m_colourType) * m_bitDepth, m_interlaced);
    const std::uint64_t tileBytes = pixels * 4;
    if (tileBytes > m_limits.maxDecodedBytes
        || m_layout.filteredBytes > m_limits.maxDecodedBytes - tileBytes)
        throw PngFailure { PngError::TooLarge };
    m_haveHeader = true;
}

void PngDecoder::readPalette(std::span<const std::uint8_t> data)
{
    if (m_palette || m_dataState != DataState::Before || m_transparency)
        throw PngFailure { PngError::ChunkOrder };
    // Grey images have no palette; colour images may carry one as a display hint, unused here.
    if (m_colourType == 0 || m_colourType == 4)
        throw PngFailure { PngError::BadPalette };
    const std::size_t entries = data.size() / 3;
    // Entries beyond what the bit depth can index are tolerated, as common decoders do: no pixel
    // can reach them.
    if (data.size() % 3 != 0 || entries == 0 || entries > 256)
        throw PngFailure { PngError::BadPalette };
    m_palette = data;
}

void PngDecoder::readTransparency(std::span<const std::uint8_t> data)
{
    // Like other damaged ancillary data, a misplaced or repeated transparency chunk is ignored:
    // after the image data, before the palette it refers to, or after the first one.
    if (m_dataState != DataState::Before || m_transparency || (m_colourType == 3 && !m_palette))
        return;
    m_transparency = data;
}

void PngDecoder::readGamma(std::span<const std::uint8_t> data)
{
    // A damaged gamma chunk only loses its colour correction, as in common decoders; a value
    // beyond 31 bits is no valid PNG number.
    if (data.size() == 4 && m_dataState == DataState::Before
        && ByteCursor::readU32BigEndian(data.data()) <= maxChunkLength)
        m_gamma = ByteCursor::readU32BigEndian(data.data());
}

void PngDecoder::readImageData(std::span<const std::uint8_t> data)
{
    if (m_dataState == DataState::After)
        throw PngFailure { PngError::ChunkOrder };
    if (m_dataState == DataState::Before) {
        beginImageData(data.size());
        m_dataState = DataState::Inside;
    }
    m_inflater.feed(data);
}

void PngDecoder::beginImageData(std::size_t firstLength)
{
    if (m_colourType == 3 && !m_palette)
        throw PngFailure { PngError::MissingPalette };
    const std::uint64_t compressed = firstLength + imageDataAhead();
    if (m_layout.filteredBytes > compressed * maxInflateRatio + inflateSlack)
        throw PngFailure { PngError::TooLittleImageData };
    try {
        m_filtered = pixelBuffer(m_layout.filteredBytes);
    } catch (const std::bad_alloc &) {
        throw PngFailure { PngError::OutOfMemory };
    } catch (const std::length_error &) {
        throw PngFailure { PngError::OutOfMemory };
    }
    m_inflater.start(m_filtered);
}

// The data bytes of the IDAT chunks that directly follow the current one, without checking them.
std::uint64_t PngDecoder::imageDataAhead() const
{
    ByteCursor ahead = m_cursor;
    std::uint64_t total = 0;
    for (;;) {
        const auto length = ahead.takeU32BigEndian();
        const auto type = ahead.take(4);
        if (!length || !type || ByteCursor::readU32BigEndian(type->data()) != IDAT
            || !ahead.take(*length) || !ahead.take(4))
            return total;
        total += *length;
    }
}

// Non-interlaced 8-bit RGBA, and RGB without a colour key, already are tile pixels once the
// filter bytes are gone.
bool PngDecoder::pixelsAreFilteredRows(const PngPixelFormat &format) const
{
    return !m_interlaced && m_bitDepth == 8 && !format.hasKey
        && (m_colourType == 6 || m_colourType == 2);
}

Tile PngDecoder::tileFromFilteredRows(const PngPixelFormat &format)
{
    const std::size_t rowBytes = m_layout.passes[0].rowBytes;
    for (std::uint32_t y = 0; y < m_height; ++y)
        std::memmove(
            m_filtered.data() + y * rowBytes, m_filtered.data() + y * (rowBytes + 1) + 1, rowBytes);
    m_filtered.resize(rowBytes * m_height);
    if (format.hasGamma) {
        const std::size_t channels = Tile::channelsFor(format.blend);
        for (std::size_t i = 0; i < m_filtered.size(); i += channels)
            for (std::size_t c = 0; c < 3; ++c)
                m_filtered[i + c] = format.gamma[m_filtered[i + c]];
    }
    return Tile(
        static_cast<int>(m_width), static_cast<int>(m_height), format.blend, std::move(m_filtered));
}

Tile PngDecoder::buildTile()
{
    const unsigned bytesPerPixel = std::max(1u, samplesPerPixel(m_colourType) * m_bitDepth / 8);
    std::uint8_t *pass = m_filtered.data();
    for (int i = 0; i < m_layout.passCount; ++i) {
        const ScanlinePass &p = m_layout.passes[i];
        if (p.isEmpty())
            continue;
        unfilterPass(pass, p.height, p.rowBytes, bytesPerPixel);
        pass += p.filteredBytes();
    }

    const PngPixelFormat format = makePixelFormat(m_colourType, m_bitDepth,
        m_palette.value_or(std::span<const std::uint8_t> {}), m_transparency, m_gamma);
    if (pixelsAreFilteredRows(format))
        return tileFromFilteredRows(format);

    const std::size_t channels = Tile::channelsFor(format.blend);
    std::vector<std::uint8_t> pixels = pixelBuffer(std::size_t(m_width) * m_height * channels);
    const std::uint8_t *src = m_filtered.data();
    for (int i = 0; i < m_layout.passCount; ++i) {
        const ScanlinePass &p = m_layout.passes[i];
        if (p.isEmpty())
            continue;
        for (std::uint32_t row = 0; row < p.height; ++row, src += p.rowBytes + 1) {
            const std::size_t y = p.yStart + std::size_t(row) * p.yStep;
            std::uint8_t *dst = pixels.data() + (y * m_width + p.xStart) * channels;
            convertScanline(format, src + 1, p.width, dst, channels * p.xStep);
        }
    }
    keepPixelBuffer(std::move(m_filtered));
    return Tile(
        static_cast<int>(m_width), static_cast<int>(m_height), format.blend, std::move(pixels));
}

// One inflater per thread keeps zlib's state allocated from tile to tile.
PngInflater &threadInflater()
{
    thread_local PngInflater inflater;
    return inflater;
}

Error cannotOpenFile(const QString &path, int error)
{
    const QString reason = qt_error_string(error);
    return Error(QStringLiteral("Datei %1 kann nicht geöffnet werden. %2").arg(path, reason),
        { .code = ErrorCode::CannotOpenFile, .path = path, .reason = reason });
}

Error cannotReadFile(const QString &path, int error)
{
    const QString reason = qt_error_string(error);
    return Error(QStringLiteral("Datei %1 kann nicht gelesen werden. %2").arg(path, reason),
        { .code = ErrorCode::CannotReadFile, .path = path, .reason = reason });
}

// Runs one decoding step, turning the codec's failures into the user-visible error.
template<typename Step> auto decodeStep(Step step)
{
    try {
        return step();
    } catch (const PngFailure &failure) {
        throw pngError(failure.error);
    } catch (const std::bad_alloc &) {
        throw pngError(PngError::OutOfMemory);
    }
}

} // namespace

Tile decodePng(std::span<const std::uint8_t> bytes, const PngLimits &limits)
{
    return decodeStep([&] { return PngDecoder(bytes, limits, threadInflater()).decode(); });
}

QSize readPngFileSize(const QString &path, const PngLimits &limits)
{
    // The signature and the header chunk: 8 + 4 + 4 + 13 + 4 bytes.
    constexpr std::size_t headerBytes = 33;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw cannotOpenFile(path, errno);
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    std::array<std::uint8_t, headerBytes> bytes {};
    ssize_t got = 0;
    do
        got = ::pread(fd, bytes.data(), bytes.size(), 0);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        throw cannotReadFile(path, errno);
    const std::span<const std::uint8_t> data(bytes.data(), static_cast<std::size_t>(got));
    return decodeStep([&] { return PngDecoder(data, limits, threadInflater()).decodeHeader(); });
}

Tile readPngFile(const QString &path, const PngLimits &limits)
{
    // Plain system calls: one open, one status, the reads; a tile is read thousands of times
    // per sheet and QFile would ask for the file's status three times more.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw cannotOpenFile(path, errno);
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    struct stat info;
    if (::fstat(fd, &info) != 0)
        throw cannotOpenFile(path, errno);
    if (S_ISDIR(info.st_mode))
        throw cannotOpenFile(path, EISDIR);
    if (std::uint64_t(info.st_size) > limits.maxFileBytes)
        throw pngError(PngError::TooLarge);
    // Each thread reads into the buffer its last file left, unless that was large: a fresh
    // buffer per file costs a page fault per 4 KiB.
    thread_local std::vector<std::uint8_t> kept;
    std::vector<std::uint8_t> bytes = std::move(kept);
    const auto fileBytes = static_cast<std::size_t>(info.st_size);
    if (bytes.size() < fileBytes)
        bytes.resize(fileBytes);
    const auto keep = qScopeGuard([&bytes] {
        if (bytes.size() <= maxKeptFileBytes)
            kept = std::move(bytes);
    });
    std::size_t filled = 0;
    while (filled < fileBytes) {
        const ssize_t got = ::read(fd, bytes.data() + filled, fileBytes - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw cannotReadFile(path, errno);
        if (got == 0)
            break;
        filled += std::size_t(got);
    }
    return decodePng({ bytes.data(), filled }, limits);
}

} // namespace quiltmap::sheet
