// Vector row copies shared by the x86 copy files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

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

// Streaming stores fill whole 64-byte lines: a line written partly by
// them and partly by plain stores would be flushed half-full and read back.
// The partial lines at both ends are plain copies; line(to, from) streams
// one whole line.
template <class Line>
ORVEX_VECTOR_INLINE void StreamLines(uint8_t* d, const uint8_t* s, size_t bytes, Line line) {
    const size_t head = (64 - reinterpret_cast<uintptr_t>(d) % 64) % 64;
    if (bytes < head + 64) {
        std::memcpy(d, s, bytes);
        return;
    }
    std::memcpy(d, s, head);
    size_t i = head;
    for (; i + 64 <= bytes; i += 64) line(d + i, s + i);
    std::memcpy(d + i, s + i, bytes - i);
}

}  // namespace
}  // namespace orvex::copy_x86
