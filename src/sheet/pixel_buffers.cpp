#include "sheet/pixel_buffers.h"

#include <mutex>
#include <utility>

namespace quiltmap::sheet {
namespace {

// Smaller buffers come from memory the allocator keeps anyway.
constexpr std::size_t keptFrom = std::size_t(128) << 10;
constexpr std::size_t keptAtMost = std::size_t(16) << 20;

struct KeptBuffers
{
    std::mutex mutex;
    std::vector<std::vector<std::uint8_t>> buffers;
    std::size_t bytes = 0;
};

KeptBuffers &keptBuffers()
{
    static KeptBuffers kept;
    return kept;
}

} // namespace

// A kept buffer serves a tile that needs at least half of it: the tile holds all of it.
std::vector<std::uint8_t> pixelBuffer(std::size_t bytes)
{
    std::vector<std::uint8_t> buffer;
    if (bytes >= keptFrom) {
        KeptBuffers &kept = keptBuffers();
        const std::lock_guard lock(kept.mutex);
        auto best = kept.buffers.end();
        for (auto it = kept.buffers.begin(); it != kept.buffers.end(); ++it)
            if (it->capacity() >= bytes && it->capacity() / 2 <= bytes
                && (best == kept.buffers.end() || it->capacity() < best->capacity()))
                best = it;
        if (best != kept.buffers.end()) {
            buffer = std::move(*best);
            kept.buffers.erase(best);
            kept.bytes -= buffer.capacity();
        }
    }
    buffer.resize(bytes);
    return buffer;
}

void keepPixelBuffer(std::vector<std::uint8_t> &&buffer)
{
    std::vector<std::uint8_t> owned = std::move(buffer);
    if (owned.capacity() < keptFrom)
        return;
    KeptBuffers &kept = keptBuffers();
    const std::lock_guard lock(kept.mutex);
    if (kept.bytes + owned.capacity() > keptAtMost)
        return;
    kept.bytes += owned.capacity();
    kept.buffers.push_back(std::move(owned));
}

} // namespace quiltmap::sheet
