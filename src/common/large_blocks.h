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

inline void *allocateLargeBlock(std::size_t bytes)
{
    if (bytes < hugePageBytes) {
        if (void *memory = std::malloc(bytes))
            return memory;
        throw std::bad_alloc();
    }
    const std::size_t pages = bytes / hugePageBytes + (bytes % hugePageBytes != 0);
    if (pages > SIZE_MAX / hugePageBytes)
        throw std::bad_alloc();
    void *memory = std::aligned_alloc(hugePageBytes, pages * hugePageBytes);
    if (!memory)
        throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    madvise(memory, pages * hugePageBytes, MADV_HUGEPAGE);
#endif
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
