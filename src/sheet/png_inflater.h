#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <zlib.h>

namespace quiltmap::sheet {

// Inflates one zlib stream, fed piece by piece (one IDAT chunk at a time), into an output buffer
// of exactly the size the header implies. Throws PngFailure when the stream is corrupt or holds
// more data than fits. One inflater can decode many images in turn, keeping its zlib state.
// zlib inflates the raw deflate data; the stream's header and its Adler-32 checksum are checked
// here, with a faster checksum than zlib's.
class PngInflater
{
public:
    PngInflater();
    ~PngInflater();
    PngInflater(const PngInflater &) = delete;
    PngInflater &operator=(const PngInflater &) = delete;

    void start(std::span<std::uint8_t> out);
    void feed(std::span<const std::uint8_t> compressed);
    // Checks that the stream ended and filled the output exactly.
    void finish() const;

private:
    enum class Part { Header, Data, Checksum, Ended };

    std::span<const std::uint8_t> takeWrapper(std::span<const std::uint8_t> compressed);
    std::span<const std::uint8_t> inflateData(std::span<const std::uint8_t> compressed);
    void refillOutput();

    z_stream m_stream {};
    Part m_part = Part::Header;
    // The two header bytes, then the four checksum bytes, as they arrive.
    std::array<std::uint8_t, 4> m_wrapper {};
    std::size_t m_wrapperBytes = 0;
    std::uint32_t m_adler = 1;
    std::span<std::uint8_t> m_out;
    std::size_t m_outDone = 0;
    // After the output is full, inflating continues into this byte to detect surplus data.
    std::uint8_t m_overflow = 0;
    bool m_overflowing = false;
};

} // namespace quiltmap::sheet
