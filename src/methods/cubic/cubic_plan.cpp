#include "methods/cubic/cubic_plan.h"

namespace orvex {

CubicPlan::~CubicPlan() {
    for (int i = 0; i < 4; ++i) {
        memory.Free(horizontalWeights.table[i]);
        memory.Free(horizontalWeightsFixed.table[i]);
        memory.Free(verticalWeights.table[i]);
        memory.Free(verticalWeightsFixed.table[i]);
    }
    memory.Free(horizontalIndex);
    memory.Free(verticalIndex);
    for (PlaneBand& band : bands) {
        for (uint16_t* row : band.ring) memory.Free(row);
        memory.Free(band.row);
    }
    memory.Free(scratch);
}

}  // namespace orvex
