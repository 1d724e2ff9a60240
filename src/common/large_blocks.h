#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace quiltmap {

// Blocks of memory large enough to come in huge pages do: fresh memory faults once per page the
// first time it is written, and at 4 KiB a page those faults cost more than the work that fills
// a sheet's rows or a stream's symbols. Smaller blocks come from malloc. Freed with std::free.
constexpr std::size_t hugePageBytes = std::size_t(2) << 20;

// Blocks from half a huge page on come in whole huge pages: the memory left over costs less than
// the faults.
constexpr std::size_t largeBlocksFrom = hugePageBytes / 2;

// The bytes a block asked for `bytes` holds: whole huge pages once it comes in them, so that
// a caller may use the rest of the last one. Throws std::bad_alloc when that does not fit.
inline std::size_t largeBlockBytes(std::size_t bytes)
{
    if (bytes < largeBlocksFrom)
        return bytes;
    const std::size_t pages = bytes / hugePageBytes + (bytes % hugePageBytes != 0);
    if (pages > SIZE_MAX / hugePageBytes)
        throw std::bad_alloc();
    return pages * hugePageBytes;
}

// `bytes` bytes of malloc's, from the start of a huge page: the whole huge pages they cover come
// in huge pages, the rest in small ones. Null when out of memory; freed with std::free.
inline void *mallocInHugePages(std::size_t bytes)
{
    void *memory = nullptr;
    if (posix_memalign(&memory, hugePageBytes, bytes) != 0)
        return nullptr;
#ifdef MADV_HUGEPAGE
    madvise(memory, bytes, MADV_HUGEPAGE);
#endif
    return memory;
}

inline void *allocateLargeBlock(std::size_t bytes)
{
    void *memory
        = bytes < largeBlocksFrom ? std::malloc(bytes) : mallocInHugePages(largeBlockBytes(bytes));
    if (!memory)
        throw std::bad_alloc();
    return memory;
}

// For vectors that grow to megabytes.
template<typename T> struct LargeBlockAllocator
{
    using value_type = T;

    LargeBlockAllocator() = default;
    template<typename U> LargeBlockAllocator(const LargeBlockAllocator<U> &) noexcept { }

    T *allocate(std::size_t n) { return static_cast<T *>(allocateLargeBlock(n * sizeof(T))); }
    void deallocate(T *memory, std::size_t) noexcept { std::free(memory); }

    template<typename U> bool operator==(const LargeBlockAllocator<U> &) const noexcept
    {
        return true;
    }
};

} // namespace quiltmap
