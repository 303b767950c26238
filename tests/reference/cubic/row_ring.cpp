// Row ring and horizontal pass. The pass works in place in its ring row,
// right to left: output 1 reads the already written output 2 for its S + 2
// tap, and that is part of the method's output.
#include "cubic/row_ring.h"

#include <cstddef>
#include <cstring>

#include "core/stream_copy.h"

namespace orvex {

RingState ringState;

namespace {

constexpr uint16_t kSampleMax = 65535;

// Steps 1 to 5 of the pass: the plane row between its replicated edges.
// Returns the ring row, or null when the plane has no samples.
uint16_t* LoadRingRow(const PlaneImage& plane, int32_t srcRow, int32_t ringRow, int32_t lm,
                      int32_t rm) {
    if (plane.data == nullptr) return nullptr;
    int16_t pw, ph;
    GetPlaneSize(plane, pw, ph);
    const int32_t row = srcRow < 0 ? 0 : (srcRow >= ph ? ph - 1 : srcRow);
    uint16_t* ring = ringState.ring.rows[ringRow];
    CopyPlaneRow(plane, static_cast<uint16_t>(row), ring + lm);
    for (int32_t i = 0; i < lm; ++i) ring[i] = ring[lm];
    for (int32_t i = 0; i < rm; ++i) ring[pw + lm + i] = ring[pw + lm - 1];
    return ring;
}

void ShiftRows() {
    const size_t bytes = size_t(ringState.ringWidth) * sizeof(uint16_t);
    uint16_t* const* rows = ringState.ring.rows;
    for (int i = 0; i < 3; ++i) CopyRow(rows[i], rows[i + 1], bytes);
}

}  // namespace

bool CreateRowRing(int32_t rows, int32_t outWidth, int32_t leftMargin, int32_t rightMargin) {
    RowRing& ring = ringState.ring;
    for (auto& row : ring.rows) row = nullptr;
    ringState.ringWidth = outWidth + leftMargin + rightMargin;
    const size_t bytes = size_t(ringState.ringWidth) * sizeof(uint16_t);
    for (int32_t i = 0; i < rows && i < 4; ++i) {
        ring.rows[i] = static_cast<uint16_t*>(ringState.memory.Allocate(bytes));
        if (ring.rows[i] == nullptr) return false;
    }
    return true;
}

void HorizontalPass(PlaneImage plane, int32_t srcRow, int32_t outWidth, int32_t ringRow,
                    int32_t leftMargin, int32_t rightMargin) {
    uint16_t* ring = LoadRingRow(plane, srcRow, ringRow, leftMargin, rightMargin);
    if (ring == nullptr) return;
    const int32_t* index = ringState.horizontalIndex;
    float* const* w = ringState.horizontalWeights.table;
    for (int32_t x = outWidth - 1; x >= 0; --x) {
        const uint16_t* s = ring + index[x] + leftMargin;
        const double sum =
            ((double(s[1]) * w[1][x] + double(s[2]) * w[0][x]) + double(s[-1]) * w[3][x]) +
            double(s[0]) * w[2][x];
        ring[x + leftMargin] = ToSample16(sum);
    }
}

void HorizontalPassFixed(PlaneImage plane, int32_t srcRow, int32_t outWidth, int32_t ringRow,
                         int32_t leftMargin, int32_t rightMargin) {
    uint16_t* ring = LoadRingRow(plane, srcRow, ringRow, leftMargin, rightMargin);
    if (ring == nullptr) return;
    const int32_t* index = ringState.horizontalIndex;
    int32_t* const* w = ringState.horizontalWeightsFixed.table;
    for (int32_t x = outWidth - 1; x >= 0; --x) {
        const uint16_t* s = ring + index[x] + leftMargin;
        const int32_t sum = ((s[1] * w[1][x] + s[2] * w[0][x]) + s[-1] * w[3][x]) + s[0] * w[2][x];
        ring[x + leftMargin] = FixedToSample16(sum);
    }
}

void ShiftRing() {
    ShiftRows();
}
void ShiftRingFixed() {
    ShiftRows();
}

uint16_t ToSample16(double sum) {
    if (sum < ringState.lowBound) return 0;
    const float f = static_cast<float>(sum);
    if (f > static_cast<float>(ringState.highBound)) return kSampleMax;
    const int32_t v = RoundToInt(f);
    return v > kSampleMax ? kSampleMax : static_cast<uint16_t>(v);
}

uint16_t FixedToSample16(int32_t sum) {
    const int32_t v = sum >> 10;
    if (v < 0) return 0;
    return v > kSampleMax ? kSampleMax : static_cast<uint16_t>(v);
}

int32_t RoundToInt(double x) {
    // Adding 1.5 x 2^52 leaves the rounded integer in the low mantissa bits.
    volatile double shifted = x + 6755399441055744.0;
    const double s = shifted;
    uint64_t bits;
    std::memcpy(&bits, &s, sizeof bits);
    return static_cast<int32_t>(static_cast<uint32_t>(bits));
}

void ReleaseRingState() {
    RingState& s = ringState;
    for (int i = 0; i < 4; ++i) {
        s.memory.Free(s.horizontalWeights.table[i]);
        s.memory.Free(s.horizontalWeightsFixed.table[i]);
        s.horizontalWeights.table[i] = nullptr;
        s.horizontalWeightsFixed.table[i] = nullptr;
    }
    s.memory.Free(s.horizontalIndex);
    s.horizontalIndex = nullptr;
    for (auto& row : s.ring.rows) {
        s.memory.Free(row);
        row = nullptr;
    }
}

}  // namespace orvex
