#include "deflate/bit_writer.h"

#include <utility>

namespace quiltmap::deflate {

void BitWriter::putBits(const std::vector<std::uint8_t> &bytes, std::uint64_t bitCount)
{
    std::size_t whole = bitCount / 32;
    const std::uint8_t *p = bytes.data();
    if (m_count == 0 && whole > 0) {
        putBytes(p, whole * 4);
        p += whole * 4;
        whole = 0;
    }
    for (std::size_t i = 0; i < whole; ++i, p += 4)
        put(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16
                | std::uint32_t(p[3]) << 24,
            32);
    for (unsigned rest = unsigned(bitCount % 32); rest > 0;) {
        const unsigned n = rest < 8 ? rest : 8;
        put(*p++ & ((1u << n) - 1), n);
        rest -= n;
    }
}

void BitWriter::align()
{
    while (m_count >= 8) {
        m_bytes.push_back(std::uint8_t(m_buffer));
        m_buffer >>= 8;
        m_count -= 8;
    }
    if (m_count > 0) {
        m_bytes.push_back(std::uint8_t(m_buffer));
        m_buffer = 0;
        m_count = 0;
    }
}

void BitWriter::putBytes(const std::uint8_t *bytes, std::size_t count)
{
    align();
    m_bytes.insert(m_bytes.end(), bytes, bytes + count);
}

std::vector<std::uint8_t> BitWriter::take()
{
    align();
    return std::exchange(m_bytes, {});
}

} // namespace quiltmap::deflate
