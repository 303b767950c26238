// The working state of one cubic conversion. It belongs to the call: any
// number of conversions may run at once, each with its own plan, and
// everything a plan holds is freed when it goes out of scope.
#pragma once

#include <cstdint>

#include "methods/cubic/cubic_memory.h"
#include "methods/cubic/cubic_weights.h"
#include "methods/cubic/row_kernels.h"

namespace orvex {

// One colour plane of a banded conversion: its ring of the enlarged plane
// rows S - 1 .. S + 2 and its enlarged output row.
struct PlaneBand {
    uint16_t* ring[4];
    uint16_t* row;
    int32_t last;  // plane row held by ring row 2 (S)
};

// The conversion runs in output rows: the four planes advance together, so
// only four rings and four output rows exist at a time, never whole planes.
struct CubicPlan {
    // kernels: the call's, chosen once by ChooseCubicRows.
    CubicPlan(CubicMemory& m, const CubicRowKernels& k) : memory(m), kernels(k) {}
    ~CubicPlan();
    CubicPlan(const CubicPlan&) = delete;
    CubicPlan& operator=(const CubicPlan&) = delete;

    CubicMemory& memory;
    const CubicRowKernels kernels;
    CubicWeightSet<float> verticalWeights{};
    CubicWeightSet<float> horizontalWeights{};
    CubicWeightSet<int32_t> horizontalWeightsFixed{};
    CubicWeightSet<int32_t> verticalWeightsFixed{};
    int32_t* verticalIndex = nullptr;
    int32_t* horizontalIndex = nullptr;
    PlaneBand bands[4]{};         // indexed as a plane set: R, B, Gr, Gb
    uint16_t* scratch = nullptr;  // one row of horizontal-pass outputs
};

}  // namespace orvex
