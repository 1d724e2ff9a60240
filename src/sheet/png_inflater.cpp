#include "sheet/png_inflater.h"

#include "sheet/png_errors.h"

#include <algorithm>
#include <limits>

namespace quiltmap::sheet {

PngInflater::PngInflater()
{
    if (inflateInit(&m_stream) != Z_OK)
        throw PngFailure { PngError::OutOfMemory };
}

PngInflater::~PngInflater()
{
    inflateEnd(&m_stream);
}

void PngInflater::start(std::span<std::uint8_t> out)
{
    inflateReset(&m_stream);
    m_out = out;
    m_outDone = 0;
    m_ended = false;
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
    if (m_ended)
        return;
    m_stream.next_in = const_cast<Bytef *>(compressed.data());
    m_stream.avail_in = static_cast<uInt>(compressed.size());
    while (m_stream.avail_in > 0) {
        const uInt outBefore = m_stream.avail_out;
        const int status = inflate(&m_stream, Z_NO_FLUSH);
        const uInt produced = outBefore - m_stream.avail_out;
        if (m_overflowing && produced > 0)
            throw PngFailure { PngError::TooMuchImageData };
        m_outDone += m_overflowing ? 0 : produced;
        if (status == Z_STREAM_END) {
            m_ended = true;
            return;
        }
        if (status == Z_MEM_ERROR)
            throw PngFailure { PngError::OutOfMemory };
        if (status != Z_OK && status != Z_BUF_ERROR)
            throw PngFailure { PngError::CorruptImageData };
        if (m_stream.avail_out == 0)
            refillOutput();
    }
}

void PngInflater::finish() const
{
    if (m_outDone < m_out.size())
        throw PngFailure { PngError::TooLittleImageData };
    if (!m_ended)
        throw PngFailure { PngError::CorruptImageData };
}

} // namespace quiltmap::sheet
