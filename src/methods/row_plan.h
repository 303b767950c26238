// A call's conversion by a method whose bands need no working memory beyond
// the stack, settled once and read alone by its bands and strips: the pack
// plan, the row driver of the level and the mosaic's sample width (null
// where nothing is written), and the kernels that driver takes.
#pragma once

#include "core/conversion.h"
#include "pack/pack_rows.h"

namespace orvex {

template <class Kernels>
struct RowPlan {
    using RowsFn = void (*)(const Conversion& part, const PackPlan& pack, const Kernels& kernels);

    PackPlan pack;
    RowsFn rows;
    Kernels kernels;

    // Rows of the planned call: its conversion, or a part of it.
    void Convert(const Conversion& part) const {
        if (rows != nullptr) rows(part, pack, kernels);
    }
};

}  // namespace orvex
