// Row copies: plain ones, and streaming ones for outputs much larger than
// the caches.
#pragma once

#include <cstddef>

#include "simd/simd.h"

namespace orvex {

// Outputs from this size on are written with streaming stores where the
// processor has them: they would only evict the caches' useful contents,
// and a streaming store saves reading each line before it is overwritten,
// which costs more than the stores themselves once the lines come from
// memory. An output within half the last-level cache stays there for its
// reader, so plain stores win up to that size (4 MiB where the processor
// does not tell). Looked up once per process.
size_t StreamingOutputBytes();

// memcpy of one row with vector loads and stores. The string-move
// instruction a library memcpy picks for row-sized copies pays a start-up
// cost per call and, on some processors, a heavy penalty for source and
// destination rows at certain distances.
void CopyRow(void* dst, const void* src, size_t bytes);

// memcpy whose stores bypass the caches. Call StreamFence before anything
// else reads or publishes the destination.
void StreamCopy(void* dst, const void* src, size_t bytes);
void StreamFence();

// The copies one instruction set provides (null: none of its own). The
// three functions above use the process's level, chosen once.
struct RowCopySet {
    void (*copy)(void* dst, const void* src, size_t bytes);
    void (*stream)(void* dst, const void* src, size_t bytes);
    void (*fence)();
};
extern const RowCopySet kRowCopyPortable, kRowCopySse2, kRowCopyAvx2;

RowCopySet ChooseRowCopy(SimdFeatures level);

}  // namespace orvex
