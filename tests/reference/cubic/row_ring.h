// The row ring and the horizontal cubic pass, in single precision and in
// 1024-scaled integers: the plain forms the banded kernels are checked
// against. They work on one test-wide ring state.
#pragma once

#include <cstdint>

#include "cubic/plane_image.h"
#include "methods/cubic/cubic_memory.h"
#include "methods/cubic/cubic_weights.h"

namespace orvex {

// Four rows of ringWidth samples: the horizontally enlarged plane rows
// S - 1 .. S + 2 around the vertical anchor S.
struct RowRing {
    uint16_t* rows[4];
};

// The tables and ring of the plain passes; the tests fill the tables.
struct RingState {
    CubicMemory memory;
    RowRing ring{};
    int32_t ringWidth = 0;
    double lowBound = 1.1754943508222875e-38;
    double highBound = 3.4028234663852886e+38;
    int32_t* horizontalIndex = nullptr;
    CubicWeightSet<float> horizontalWeights{};
    CubicWeightSet<int32_t> horizontalWeightsFixed{};
};

extern RingState ringState;

// Frees everything the ring state holds and clears the references.
void ReleaseRingState();

// Frees a weight set's tables from the ring state's memory.
template <class T>
void FreeWeightSet(CubicWeightSet<T>& set) {
    for (auto& t : set.table) {
        ringState.memory.Free(t);
        t = nullptr;
    }
}

bool CreateRowRing(int32_t rows, int32_t outWidth, int32_t leftMargin, int32_t rightMargin);

// Enlarges plane row srcRow (clamped into the plane) to outWidth samples in
// ring row ringRow, in place, right to left.
void HorizontalPass(PlaneImage plane, int32_t srcRow, int32_t outWidth, int32_t ringRow,
                    int32_t leftMargin, int32_t rightMargin);
void HorizontalPassFixed(PlaneImage plane, int32_t srcRow, int32_t outWidth, int32_t ringRow,
                         int32_t leftMargin, int32_t rightMargin);

// Moves ring rows 1..3 up to rows 0..2.
void ShiftRing();
void ShiftRingFixed();

// A single-precision sum as a 16-bit sample: 0 below the smallest normal
// float, rounded to nearest even, saturated at 65535.
uint16_t ToSample16(double sum);
// A 1024-scaled integer sum as a 16-bit sample: floor(sum / 1024) in 0..65535.
uint16_t FixedToSample16(int32_t sum);

// Nearest 32-bit integer, ties to even, for |x| < 2^31.
int32_t RoundToInt(double x);

}  // namespace orvex
