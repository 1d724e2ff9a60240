#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>
#include <zlib.h>

namespace quiltmap::fuzz {

// Mutations rarely keep a chunk's CRC right; rewriting the CRCs lets them reach the code behind.
inline std::vector<std::uint8_t> withFixedCrcs(const std::uint8_t *data, std::size_t size)
{
    std::vector<std::uint8_t> file(data, data + size);
    std::size_t at = 8;
    while (at <= file.size() && file.size() - at >= 12) {
        const std::uint8_t *p = file.data() + at;
        const std::size_t length
            = std::size_t(p[0]) << 24 | std::size_t(p[1]) << 16 | std::size_t(p[2]) << 8 | p[3];
        if (length > file.size() - at - 12)
            break;
        const uLong crc = crc32(0, p + 4, uInt(length + 4));
        std::uint8_t *out = file.data() + at + 8 + length;
        out[0] = std::uint8_t(crc >> 24);
        out[1] = std::uint8_t(crc >> 16);
        out[2] = std::uint8_t(crc >> 8);
        out[3] = std::uint8_t(crc);
        at += length + 12;
    }
    return file;
}

} // namespace quiltmap::fuzz
