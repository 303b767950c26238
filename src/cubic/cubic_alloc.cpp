#include "cubic/cubic_alloc.h"

#include <atomic>
#include <cstdlib>

namespace orvex {
namespace {
std::atomic<int> failAt{0};
std::atomic<int> calls{0};
std::atomic<size_t> bytesRequested{0};
}  // namespace

void* CubicAlloc(size_t bytes) {
    const int call = calls.fetch_add(1, std::memory_order_relaxed) + 1;
    if (call == failAt.load(std::memory_order_relaxed)) return nullptr;
    bytesRequested.fetch_add(bytes, std::memory_order_relaxed);
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void CubicFree(void* p) {
    std::free(p);
}

void FailCubicAllocationAt(int k) {
    calls.store(0, std::memory_order_relaxed);
    bytesRequested.store(0, std::memory_order_relaxed);
    failAt.store(k, std::memory_order_relaxed);
}

int CubicAllocationCount() {
    return calls.load(std::memory_order_relaxed);
}

}  // namespace orvex

namespace orvex {
size_t CubicBytesRequested() {
    return bytesRequested.load(std::memory_order_relaxed);
}
}  // namespace orvex
