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

struct CubicState {
    PlaneImage* splitPlanes[4];
    CubicWeightSet<float> verticalWeights;
    CubicWeightSet<float> horizontalWeights;
    RowRing ring;
    double lowBound;
    double highBound;
    int32_t* verticalIndex;
    int32_t* horizontalIndex;
    CubicWeightSet<int32_t> horizontalWeightsFixed;
    PlaneImage fullRecords[4];
    CubicWeightSet<int32_t> verticalWeightsFixed;
    PlaneImage splitRecords[4];
    PlaneImage* fullPlanes[4];
    int32_t ringWidth;
    std::atomic<int32_t> busyCount;
};

extern CubicState cubicState;

// Frees everything the state holds and clears the references.
void ReleaseCubicState();

}  // namespace orvex
