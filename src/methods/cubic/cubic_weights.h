// Source-index and cubic weight tables of one axis. Output position x lies at
// input position x * inSize / outSize; its anchor S is the floor of that.
#pragma once

#include <cstdint>

#include "methods/cubic/cubic_memory.h"

namespace orvex {

// Four tables of outSize entries: table 0 weights input S + 2, table 1 S + 1,
// table 2 S, table 3 S - 1. float for the single-precision form, int32_t
// (scaled by 1024) for the fixed form.
template <class T>
struct CubicWeightSet {
    T* table[4];
};

// The builders allocate their tables from `memory`; on failure the tables
// allocated so far stay in the set for the caller to free.
bool BuildSourceIndex(CubicMemory& memory, int32_t*& index, int32_t inSize, int32_t outSize);
void ReduceRatio(int32_t& outSize, int32_t& inSize);
bool BuildCubicWeights(CubicMemory& memory, CubicWeightSet<float>& set, int32_t inSize,
                       int32_t outSize);
bool BuildCubicWeightsFixed(CubicMemory& memory, CubicWeightSet<int32_t>& set, int32_t inSize,
                            int32_t outSize);

}  // namespace orvex
