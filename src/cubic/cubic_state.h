// The process-wide working state of the cubic methods. It holds allocations
// only while a conversion runs; busyCount admits one conversion at a time.
#pragma once

#include <atomic>
#include <cstdint>

#include "cubic/cubic_weights.h"
#include "cubic/plane_image.h"

namespace orvex {

// Four rows of ringWidth samples: the horizontally enlarged plane rows
// S - 1 .. S + 2 around the vertical anchor S.
struct RowRing {
    uint16_t* rows[4];
};

// One colour plane of a banded conversion: its ring of the enlarged plane
// rows S - 1 .. S + 2 and its enlarged output row.
struct PlaneBand {
    uint16_t* ring[4];
    uint16_t* row;
    int32_t last;  // plane row held by ring row 2 (S)
};

// The conversion runs in output rows: the four planes advance together, so
// only four rings and four output rows exist at a time, never whole planes.
struct CubicState {
    CubicWeightSet<float> verticalWeights;
    CubicWeightSet<float> horizontalWeights;
    RowRing ring;  // the ring of HorizontalPass and ShiftRing
    double lowBound;
    double highBound;
    int32_t* verticalIndex;
    int32_t* horizontalIndex;
    CubicWeightSet<int32_t> horizontalWeightsFixed;
    CubicWeightSet<int32_t> verticalWeightsFixed;
    PlaneBand bands[4];  // indexed as a plane set
    uint16_t* scratch;   // one row of horizontal-pass outputs
    int32_t ringWidth;
    std::atomic<int32_t> busyCount;
};

extern CubicState cubicState;

// Frees everything the state holds and clears the references.
void ReleaseCubicState();

}  // namespace orvex
