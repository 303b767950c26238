#include "methods/cubic/cubic_memory.h"

#include <cstdlib>

namespace orvex {

void* CubicMemory::Allocate(size_t bytes) {
    if (++calls_ == failAt_) return nullptr;
    void* p = std::malloc(bytes == 0 ? 1 : bytes);
    if (p != nullptr) {
        ++live_;
        bytes_ += bytes;
    }
    return p;
}

void CubicMemory::Free(void* p) {
    if (p == nullptr) return;
    --live_;
    std::free(p);
}

}  // namespace orvex
