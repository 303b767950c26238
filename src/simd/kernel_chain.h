// Kernel tables and the chain a call runs. A family's kernels share one
// signature; each writes whole vectors from a column on and returns the
// first column it left, so the next narrower kernel continues there and the
// portable loop of the method finishes the row. Nothing is read or written
// beyond what the portable loop would touch.
#pragma once

#include <cstddef>

#include "simd/simd.h"

namespace orvex {

template <class Fn>
struct KernelChain {
    Fn stage[kSimdLevelCount] = {};
    size_t count = 0;

    // call(kernel, first) runs one kernel from column first and returns
    // where it stopped.
    template <class Call>
    size_t Run(size_t first, Call&& call) const {
        for (size_t i = 0; i < count; ++i) first = call(stage[i], first);
        return first;
    }
    bool Empty() const { return count == 0; }
};

// The chain of a family at a level: the kernels the sets of that level and
// below provide, widest first. sets: one per level (null where a level has
// no file); pick: the kernel of a set for the call's variant (may be null).
template <class Set, class Pick>
auto ChainOf(const Set* const (&sets)[kSimdLevelCount], SimdLevel level, Pick pick) {
    KernelChain<decltype(pick(*sets[0]))> chain;
    for (int l = static_cast<int>(level); l >= 0; --l) {
        if (sets[l] == nullptr) continue;
        if (const auto fn = pick(*sets[l])) chain.stage[chain.count++] = fn;
    }
    return chain;
}

// The widest kernel of a family at a level, for kernels that do a whole
// image or row themselves (each set then has an entry for the portable level).
template <class Set, class Pick>
auto WidestOf(const Set* const (&sets)[kSimdLevelCount], SimdLevel level, Pick pick) {
    for (int l = static_cast<int>(level); l >= 0; --l) {
        if (sets[l] == nullptr) continue;
        if (const auto fn = pick(*sets[l])) return fn;
    }
    return decltype(pick(*sets[0])){};
}

}  // namespace orvex
