// Allocation of the cubic methods' working state. Every allocation of a
// conversion goes through here, so tests can fail any one of them.
#pragma once

#include <cstddef>

namespace orvex {

void* CubicAlloc(size_t bytes);
void CubicFree(void* p);

// Test seam: the k-th CubicAlloc from now on (k >= 1) returns null; 0 disarms.
void FailCubicAllocationAt(int k);
// Number of CubicAlloc calls since the last FailCubicAllocationAt.
int CubicAllocationCount();

}  // namespace orvex
