// Allocation of the cubic methods' working state. Every allocation of a
// conversion goes through here, so tests can fail any one of them.
#pragma once

#include <cstddef>

namespace orvex {

void* CubicAlloc(size_t bytes);
void CubicFree(void* p);

// Test seam: the k-th CubicAlloc from now on (k >= 1) returns null; 0 disarms.
void FailCubicAllocationAt(int k);
// Number of CubicAlloc calls, and the bytes they asked for, since the last
// FailCubicAllocationAt. A conversion frees only at its end, so the bytes are
// its peak working memory.
int CubicAllocationCount();
size_t CubicBytesRequested();

}  // namespace orvex
