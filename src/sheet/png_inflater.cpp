#include "sheet/png_inflater.h"

#include "deflate/adler32.h"
#include "sheet/png_errors.h"

#include <algorithm>
#include <limits>

namespace quiltmap::sheet {
namespace {

constexpr int rawDeflateWindowBits = -15;
constexpr std::size_t headerSize = 2;
constexpr std::size_t checksumSize = 4;

// What zlib itself would refuse: a check value that is no multiple of 31, a method other than
// deflate, a window over 32 KiB, or a preset dictionary.
bool isValidZlibHeader(std::uint8_t method, std::uint8_t flags)
{
    return (method * 256u + flags) % 31 == 0 && (method & 0x0f) == 8 && (method >> 4) <= 7
        && (flags & 0x20) == 0;
}

} // namespace

PngInflater::PngInflater()
{
    if (inflateInit2(&m_stream, rawDeflateWindowBits) != Z_OK)
        throw PngFailure { PngError::OutOfMemory };
}

PngInflater::~PngInflater()
{
    inflateEnd(&m_stream);
}

void PngInflater::start(std::span<std::uint8_t> out)
{
    inflateReset(&m_stream);
    m_part = Part::Header;
    m_wrapperBytes = 0;
    m_adler = 1;
    m_out = out;
    m_outDone = 0;
    m_overflowing = false;
    m_stream.avail_out = 0;
    refillOutput();
}

// zlib counts output in 32 bits, so a large buffer is handed over in slices.
void PngInflater::refillOutput()
{
    const std::size_t left = m_out.size() - m_outDone;
    if (left == 0) {
        m_stream.next_out = &m_overflow;
        m_stream.avail_out = 1;
        m_overflowing = true;
        return;
    }
    const auto slice
        = static_cast<uInt>(std::min<std::size_t>(left, std::numeric_limits<uInt>::max()));
    m_stream.next_out = m_out.data() + m_outDone;
    m_stream.avail_out = slice;
}

void PngInflater::feed(std::span<const std::uint8_t> compressed)
{
    // Data after the end of the stream is ignored.
    while (!compressed.empty() && m_part != Part::Ended)
        compressed = m_part == Part::Data ? inflateData(compressed) : takeWrapper(compressed);
}

// Gathers the header or checksum bytes, which may arrive split over several pieces.
std::span<const std::uint8_t> PngInflater::takeWrapper(std::span<const std::uint8_t> compressed)
{
    const std::size_t wanted = m_part == Part::Header ? headerSize : checksumSize;
    const std::size_t n = std::min(wanted - m_wrapperBytes, compressed.size());
    std::copy_n(compressed.begin(), n, m_wrapper.begin() + std::ptrdiff_t(m_wrapperBytes));
    m_wrapperBytes += n;
    if (m_wrapperBytes == wanted) {
        m_wrapperBytes = 0;
        if (m_part == Part::Header) {
            if (!isValidZlibHeader(m_wrapper[0], m_wrapper[1]))
                throw PngFailure { PngError::CorruptImageData };
            m_part = Part::Data;
        } else {
            const std::uint32_t stored = std::uint32_t(m_wrapper[0]) << 24
                | std::uint32_t(m_wrapper[1]) << 16 | std::uint32_t(m_wrapper[2]) << 8
                | m_wrapper[3];
            if (stored != m_adler)
                throw PngFailure { PngError::CorruptImageData };
            m_part = Part::Ended;
        }
    }
    return compressed.subspan(n);
}

// Inflates until the piece is used up or the deflate data ends; returns what is left of it.
std::span<const std::uint8_t> PngInflater::inflateData(std::span<const std::uint8_t> compressed)
{
    m_stream.next_in = const_cast<Bytef *>(compressed.data());
    m_stream.avail_in = static_cast<uInt>(compressed.size());
    while (m_stream.avail_in > 0) {
        const uInt outBefore = m_stream.avail_out;
        const int status = inflate(&m_stream, Z_NO_FLUSH);
        const uInt produced = outBefore - m_stream.avail_out;
        if (m_overflowing && produced > 0)
            throw PngFailure { PngError::TooMuchImageData };
        if (!m_overflowing) {
            // Summed while the bytes are still in the cache.
            m_adler = deflate::adler32(m_adler, m_out.subspan(m_outDone, produced));
            m_outDone += produced;
        }
        if (status == Z_STREAM_END) {
            m_part = Part::Checksum;
            break;
        }
        if (status == Z_MEM_ERROR)
            throw PngFailure { PngError::OutOfMemory };
        if (status != Z_OK && status != Z_BUF_ERROR)
            throw PngFailure { PngError::CorruptImageData };
        if (m_stream.avail_out == 0)
            refillOutput();
    }
    return compressed.last(m_stream.avail_in);
}

void PngInflater::finish() const
{
    if (m_outDone < m_out.size())
        throw PngFailure { PngError::TooLittleImageData };
    if (m_part != Part::Ended)
        throw PngFailure { PngError::CorruptImageData };
}

} // namespace quiltmap::sheet
