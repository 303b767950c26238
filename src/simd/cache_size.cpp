#include <algorithm>

#include "simd/simd.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <cpuid.h>
#endif

namespace orvex {
namespace {

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// The largest data or unified cache a deterministic cache parameters leaf
// lists (leaf 4 on Intel, 0x8000001D on AMD, with the same registers); 0
// where the processor has no such leaf.
size_t LargestCacheOfLeaf(unsigned leaf) {
    size_t largest = 0;
    for (unsigned i = 0; i < 16; ++i) {
        unsigned a = 0, b = 0, c = 0, d = 0;
        if (__get_cpuid_count(leaf, i, &a, &b, &c, &d) == 0) break;
        const unsigned type = a & 31;
        if (type == 0) break;
        if (type == 2) continue;  // instructions only
        const size_t ways = (b >> 22) + 1, partitions = ((b >> 12) & 0x3ff) + 1,
                     line = (b & 0xfff) + 1, sets = size_t(c) + 1;
        largest = std::max(largest, ways * partitions * line * sets);
    }
    return largest;
}
#endif

size_t ProcessorLastLevelCache() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    return std::max(LargestCacheOfLeaf(4), LargestCacheOfLeaf(0x8000001D));
#else
    return 0;
#endif
}

}  // namespace

size_t LastLevelCacheBytes() {
    static const size_t bytes = ProcessorLastLevelCache();
    return bytes;
}

}  // namespace orvex
