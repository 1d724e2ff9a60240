// quiltmap's operator new: blocks of a huge page or more start on one, so that tiles, file
// contents and streams of megabytes fault once per 2 MiB as they are filled instead of once per
// 4 KiB, which on some machines costs more than decoding what fills the page. Linked into this
// program only; the window, the libraries and the tests keep the standard one.
#include "common/large_blocks.h"

#include <cstdlib>
#include <new>

void *operator new(std::size_t bytes)
{
    for (;;) {
        void *memory = bytes >= quiltmap::hugePageBytes ? quiltmap::mallocInHugePages(bytes)
                                                        : std::malloc(bytes == 0 ? 1 : bytes);
        if (memory)
            return memory;
        const std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw std::bad_alloc();
        handler();
    }
}

void operator delete(void *memory) noexcept
{
    std::free(memory);
}

void operator delete(void *memory, std::size_t) noexcept
{
    std::free(memory);
}
