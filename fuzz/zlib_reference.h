#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>
#include <zlib.h>

namespace quiltmap::fuzz {

// What zlib itself writes at the sheet's settings when handed `feedSize` bytes per call.
inline std::vector<std::uint8_t> zlibReference(
    const std::vector<std::uint8_t> &data, std::size_t feedSize)
{
    z_stream z {};
    if (deflateInit2(&z, 7, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        std::abort();
    std::vector<std::uint8_t> out(deflateBound(&z, uLong(data.size())) + 64);
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    for (std::size_t at = 0; at < data.size(); at += feedSize) {
        z.next_in = const_cast<Bytef *>(data.data() + at);
        z.avail_in = uInt(std::min(feedSize, data.size() - at));
        ::deflate(&z, Z_NO_FLUSH);
    }
    if (::deflate(&z, Z_FINISH) != Z_STREAM_END)
        std::abort();
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

} // namespace quiltmap::fuzz
