#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace quiltmap::sheet {

// Reads a byte span front to back. Every read checks what is left first and yields nothing
// (without moving) when the bytes run out, so callers cannot read past the end.
class ByteCursor
{
public:
    explicit ByteCursor(std::span<const std::uint8_t> bytes)
        : m_bytes(bytes)
    { }

    std::size_t remaining() const { return m_bytes.size() - m_pos; }
    std::size_t position() const { return m_pos; }

    std::optional<std::span<const std::uint8_t>> take(std::size_t count)
    {
        if (count > remaining())
            return std::nullopt;
        const auto bytes = m_bytes.subspan(m_pos, count);
        m_pos += count;
        return bytes;
    }

    std::optional<std::uint32_t> takeU32BigEndian()
    {
        const auto bytes = take(4);
        if (!bytes)
            return std::nullopt;
        return readU32BigEndian(bytes->data());
    }

    static std::uint32_t readU32BigEndian(const std::uint8_t *p)
    {
        return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8
            | std::uint32_t(p[3]);
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_pos = 0;
};

} // namespace quiltmap::sheet
