#include "core/stream_copy.h"

#include <cstring>

#include "simd/kernel_chain.h"

namespace orvex {
namespace {

void CopyPortable(void* dst, const void* src, size_t bytes) {
    std::memcpy(dst, src, bytes);
}

void FencePortable() {}

const RowCopySet& ProcessRowCopy() {
    static const RowCopySet set = ChooseRowCopy(ProcessSimdLevel());
    return set;
}

}  // namespace

extern const RowCopySet kRowCopyPortable = {CopyPortable, CopyPortable, FencePortable};

RowCopySet ChooseRowCopy(SimdLevel level) {
    static const RowCopySet* const kSets[kSimdLevelCount] = {&kRowCopyPortable, &kRowCopySse2,
                                                             nullptr, &kRowCopyAvx2, nullptr};
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
