#include "cubic/cubic_state.h"

#include "cubic/cubic_alloc.h"

namespace orvex {

CubicState cubicState{};

namespace {

template <class T>
void FreeTable(T*& table) {
    CubicFree(table);
    table = nullptr;
}

}  // namespace

void ReleaseCubicState() {
    CubicState& s = cubicState;
    for (int i = 0; i < 4; ++i) {
        FreeTable(s.horizontalWeights.table[i]);
        FreeTable(s.horizontalWeightsFixed.table[i]);
    }
    for (int i = 0; i < 4; ++i) {
        FreeTable(s.verticalWeights.table[i]);
        FreeTable(s.verticalWeightsFixed.table[i]);
    }
    FreeTable(s.horizontalIndex);
    FreeTable(s.verticalIndex);
    for (auto& row : s.ring.rows) FreeTable(row);
    for (PlaneBand& band : s.bands) {
        for (auto& row : band.ring) FreeTable(row);
        FreeTable(band.row);
    }
    FreeTable(s.scratch);
}

}  // namespace orvex
