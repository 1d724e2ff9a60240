#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <zlib.h>

namespace quiltmap::sheet {

// Inflates one zlib stream, fed piece by piece (one IDAT chunk at a time), into an output buffer
// of exactly the size the header implies. Throws PngFailure when the stream is corrupt or holds
// more data than fits. One inflater can decode many images in turn, keeping its zlib state.
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
    void refillOutput();

    z_stream m_stream {};
    std::span<std::uint8_t> m_out;
    std::size_t m_outDone = 0;
    bool m_ended = false;
    // After the output is full, inflating continues into this byte to detect surplus data.
    std::uint8_t m_overflow = 0;
    bool m_overflowing = false;
};

} // namespace quiltmap::sheet
