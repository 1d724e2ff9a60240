#include "support/largest_allocation.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> largest { 0 };

} // namespace

namespace quiltmap::test {

void resetLargestAllocation()
{
    largest = 0;
}

std::size_t largestAllocation()
{
    return largest;
}

} // namespace quiltmap::test

// The array forms of the standard library forward to these.
void *operator new(std::size_t size)
{
    std::size_t seen = largest.load(std::memory_order_relaxed);
    while (size > seen && !largest.compare_exchange_weak(seen, size)) { }
    if (void *memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void *memory) noexcept
{
    std::free(memory);
}

void operator delete(void *memory, std::size_t) noexcept
{
    std::free(memory);
}
