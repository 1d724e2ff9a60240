#pragma once

// Code for newer x86-64 processors is built alongside the portable code and chosen at run time.
#if defined(__x86_64__) && defined(__GNUC__)
#define QUILTMAP_HAS_AVX2_CODE 1
#define QUILTMAP_TARGET_AVX2 __attribute__((target("avx2")))
#endif

namespace quiltmap::sheet {

#if defined(QUILTMAP_HAS_AVX2_CODE)
inline bool hasAvx2()
{
    static const bool supported = __builtin_cpu_supports("avx2");
    return supported;
}
#endif

} // namespace quiltmap::sheet
