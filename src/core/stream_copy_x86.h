// Vector row copies shared by the x86 copy files.
#pragma once

#include <cstddef>
#include <cstdint>

#include "simd/x86/x86.h"

namespace orvex::copy_x86 {
namespace {

// Rows of at least one vector. The first vector is copied as it lies; the
// rest run on destination-aligned vectors, because a store split across
// two cache lines costs as much as two, and the last vector ends at the
// row's end, rewriting bytes already copied.
template <class Copy>
ORVEX_VECTOR_INLINE void CopyVectors(uint8_t* d, const uint8_t* s, size_t bytes, size_t width,
                                     Copy copy) {
    copy(d, s);
    size_t i = width - reinterpret_cast<uintptr_t>(d) % width;
    for (; i + 4 * width <= bytes; i += 4 * width)
        for (size_t k = 0; k < 4 * width; k += width) copy(d + i + k, s + i + k);
    for (; i + width <= bytes; i += width) copy(d + i, s + i);
    if (i < bytes) copy(d + bytes - width, s + bytes - width);
}

}  // namespace
}  // namespace orvex::copy_x86
