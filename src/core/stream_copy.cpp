#include "core/stream_copy.h"

#include <algorithm>
#include <cstring>

#include "simd/kernel_table.h"

namespace orvex {
namespace {

void CopyPortable(void* dst, const void* src, size_t bytes) {
    std::memcpy(dst, src, bytes);
}

void FencePortable() {}

const RowCopySet& ProcessRowCopy() {
    static const RowCopySet set = ChooseRowCopy(ProcessSimd());
    return set;
}

}  // namespace

extern const RowCopySet kRowCopyPortable = {CopyPortable, CopyPortable, FencePortable};

size_t StreamingOutputBytes() {
    static const size_t bytes = std::max(size_t(4) << 20, LastLevelCacheBytes() / 2);
    return bytes;
}

RowCopySet ChooseRowCopy(SimdFeatures level) {
    static const KernelImpl<RowCopySet> kSets[] = {
        {Isa::Avx2, &kRowCopyAvx2}, {Isa::Sse2, &kRowCopySse2}, {kPortable, &kRowCopyPortable}};
    return {WidestOf(kSets, level, [](const RowCopySet& s) { return s.copy; }),
            WidestOf(kSets, level, [](const RowCopySet& s) { return s.stream; }),
            WidestOf(kSets, level, [](const RowCopySet& s) { return s.fence; })};
}

void CopyRow(void* dst, const void* src, size_t bytes) {
    ProcessRowCopy().copy(dst, src, bytes);
}

void StreamCopy(void* dst, const void* src, size_t bytes) {
    ProcessRowCopy().stream(dst, src, bytes);
}

void StreamFence() {
    ProcessRowCopy().fence();
}

}  // namespace orvex
