#pragma once

// Code for newer x86-64 processors is built alongside the portable code and chosen at run time.
#if defined(__x86_64__) && defined(__GNUC__)
#define QUILTMAP_HAS_AVX2_CODE 1
#define QUILTMAP_TARGET_AVX2 __attribute__((target("avx2")))
#endif

#include <cstdlib>

namespace quiltmap::sheet {

#if defined(QUILTMAP_HAS_AVX2_CODE)
// QUILTMAP_TEST_PLAIN_PATHS set in the environment makes the tests take the paths of processors
// without AVX2.
inline bool hasAvx2()
{
    static const bool supported
        = __builtin_cpu_supports("avx2") && std::getenv("QUILTMAP_TEST_PLAIN_PATHS") == nullptr;
    return supported;
}
#endif

} // namespace quiltmap::sheet
