// Kernel tables and the chain a call runs. A family's kernels share one
// signature and come in sets, one per implementation; the family's table
// lists its sets widest first, each with the features it needs. A call
// picks from the sets its features cover, once, never per row.
//
// Row kernels write whole vectors from a column on and return the first
// column they left, so the next narrower kernel continues there and the
// portable loop of the method finishes the row. Nothing is read or written
// beyond what the portable loop would touch.
#pragma once

#include <cstddef>

#include "simd/simd.h"

namespace orvex {

// One implementation of a family: its set and the features it runs on
// (kPortable: anywhere). A set compiled for another processor family is
// empty, and its features are never present there.
template <class Set>
struct KernelImpl {
    SimdFeatures needs;
    const Set* set;
};

inline constexpr size_t kChainCapacity = 6;

template <class Fn>
struct KernelChain {
    Fn stage[kChainCapacity] = {};
    size_t count = 0;

    // call(kernel, first) runs one kernel from column first and returns
    // where it stopped.
    template <class Call>
    size_t Run(size_t first, Call&& call) const {
        for (size_t i = 0; i < count; ++i) first = call(stage[i], first);
        return first;
    }
    bool Empty() const { return count == 0; }
    // The chain of its widest kernel alone, for rows whose last columns a
    // run of that kernel ending at the row's end writes anyway.
    KernelChain Widest() const {
        KernelChain one;
        one.stage[0] = stage[0];
        one.count = count == 0 ? 0 : 1;
        return one;
    }
};

// The chain of a family for a call: the kernels of every set the features
// cover, widest first. pick: the kernel of a set for the call's variant
// (may be null).
template <class Set, size_t N, class Pick>
auto ChainOf(const KernelImpl<Set> (&table)[N], SimdFeatures features, Pick pick) {
    static_assert(N <= kChainCapacity, "a chain holds one kernel per implementation");
    KernelChain<decltype(pick(*table[0].set))> chain;
    for (const KernelImpl<Set>& impl : table) {
        if (!features.Covers(impl.needs)) continue;
        if (const auto fn = pick(*impl.set)) chain.stage[chain.count++] = fn;
    }
    return chain;
}

// The widest kernel of a family the features cover, for kernels that do a
// whole image or row themselves (their table then ends with a portable
// set), or null.
template <class Set, size_t N, class Pick>
auto WidestOf(const KernelImpl<Set> (&table)[N], SimdFeatures features, Pick pick) {
    for (const KernelImpl<Set>& impl : table) {
        if (!features.Covers(impl.needs)) continue;
        if (const auto fn = pick(*impl.set)) return fn;
    }
    return decltype(pick(*table[0].set)){};
}

}  // namespace orvex
