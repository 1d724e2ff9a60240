#pragma once

#include <cstddef>

namespace quiltmap::test {

// The largest single request to operator new since the last reset. A test executable that links
// largest_allocation.cpp counts every request, so a test can tell whether code allocated for
// what an input merely claims.
void resetLargestAllocation();
std::size_t largestAllocation();

} // namespace quiltmap::test
