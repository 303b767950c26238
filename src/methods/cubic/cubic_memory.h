// The allocations of one cubic conversion. Every allocation goes through
// here, so tests and the fuzzer can fail any one of them and count what a
// conversion holds.
#pragma once

#include <cstddef>

namespace orvex {

class CubicMemory {
  public:
    // failAt = k >= 1: the k-th Allocate returns null; 0: none fails.
    explicit CubicMemory(int failAt = 0) : failAt_(failAt) {}
    CubicMemory(const CubicMemory&) = delete;
    CubicMemory& operator=(const CubicMemory&) = delete;

    void* Allocate(size_t bytes);
    void Free(void* p);  // null is ignored

    int calls() const { return calls_; }
    // Bytes asked for: a conversion frees only at its end, so this is its
    // peak working memory.
    size_t bytesRequested() const { return bytes_; }
    // Allocations not yet freed.
    int live() const { return live_; }

  private:
    int failAt_;
    int calls_ = 0;
    int live_ = 0;
    size_t bytes_ = 0;
};

}  // namespace orvex
