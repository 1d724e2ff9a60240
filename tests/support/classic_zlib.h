#pragma once

#include <gtest/gtest.h>

// Skips the rest of a test that compares our bytes with the linked zlib's unless that is the
// classic zlib, whose streams ours reproduce (found at configure time).
#define QUILTMAP_SKIP_UNLESS_CLASSIC_ZLIB()                                                        \
    do {                                                                                           \
        if (!QUILTMAP_CLASSIC_ZLIB)                                                                \
            GTEST_SKIP() << "the linked zlib is not the classic zlib, whose bytes ours are; "     \
                            "the golden streams check them instead";                               \
    } while (false)
