// Plane recombination. Two planes of each pattern are read at the output
// column and two one column to the left; pixel 0 repeats pixel 1.
#include "methods/cubic/plane_recombine.h"

#include "methods/cubic/row_kernels.h"

namespace orvex {
namespace {

// Start column (0 or 1) of PlaneR, PlaneB, PlaneGr, PlaneGb: 1 for the planes
// read at the output column, 0 for those read one column to the left.
constexpr uint8_t kStartColumns[4][4] = {
    {1, 0, 0, 1},  // RGGB: R, Gb at x; B, Gr at x - 1
    {0, 1, 1, 0},  // GRBG: B, Gr at x; R, Gb at x - 1
    {1, 0, 1, 0},  // GBRG: R, Gr at x; B, Gb at x - 1
    {0, 1, 0, 1},  // BGGR: B, Gb at x; R, Gr at x - 1
};

}  // namespace

void RecombinePlaneRow(const PackPlan& pack, const PackRow& row, const uint16_t* const planeRows[4],
                       size_t first, size_t x0, size_t width, uint32_t pattern, uint32_t maxValue,
                       const CubicRowKernels& kernels) {
    // src[p][x - 1] is what region pixel x reads; the frame's pixel 0 reads
    // column 0 as pixel 1 does.
    const uint16_t* src[4];
    for (int p = 0; p < 4; ++p) src[p] = planeRows[p] + kStartColumns[pattern][p] + (x0 - first);
    kernels.loops->recombine(pack, row, src, width, maxValue, x0 == 0, kernels);
}

}  // namespace orvex
