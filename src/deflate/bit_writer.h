#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace quiltmap::deflate {

// Bits packed from the least significant end of each byte, as deflate orders them.
class BitWriter
{
public:
    // Up to 32 bits at a time.
    void put(std::uint32_t value, unsigned count)
    {
        m_buffer |= std::uint64_t(value) << m_count;
        m_count += count;
        if (m_count >= 32) {
            const std::uint8_t four[4] { std::uint8_t(m_buffer), std::uint8_t(m_buffer >> 8),
                std::uint8_t(m_buffer >> 16), std::uint8_t(m_buffer >> 24) };
            m_bytes.insert(m_bytes.end(), four, four + 4);
            m_buffer >>= 32;
            m_count -= 32;
        }
    }

    // Appends `bitCount` bits packed in `bytes`.
    void putBits(const std::vector<std::uint8_t> &bytes, std::uint64_t bitCount);

    // Pads with zero bits to a byte boundary.
    void align();

    void putBytes(const std::uint8_t *bytes, std::size_t count);

    std::uint64_t bitCount() const { return m_bytes.size() * 8 + m_count; }

    // The bits so far, the last byte padded with zeros.
    std::vector<std::uint8_t> take();

    // The whole bytes so far; the bits of a started byte are not among them. dropWholeBytes()
    // empties them, keeping their memory for the next ones.
    std::span<const std::uint8_t> wholeBytes() const { return m_bytes; }
    void dropWholeBytes() { m_bytes.clear(); }

private:
    std::vector<std::uint8_t> m_bytes;
    std::uint64_t m_buffer = 0;
    unsigned m_count = 0;
};

} // namespace quiltmap::deflate
