// Row copies: plain ones, and streaming ones for outputs much larger than
// the caches.
#pragma once

#include <cstddef>

namespace orvex {

// Outputs from this size on are written with streaming stores where the
// processor has them: they would only evict the caches' useful contents,
// and a streaming store saves reading each line before it is overwritten.
inline constexpr size_t kStreamingOutputBytes = size_t(16) << 20;

// memcpy of one row with vector loads and stores. The string-move
// instruction a library memcpy picks for row-sized copies pays a start-up
// cost per call and, on some processors, a heavy penalty for source and
// destination rows at certain distances.
void CopyRow(void* dst, const void* src, size_t bytes);

// memcpy whose stores bypass the caches. Call StreamFence before anything
// else reads or publishes the destination.
void StreamCopy(void* dst, const void* src, size_t bytes);
void StreamFence();

}  // namespace orvex
