#include "core/stream_copy.h"

#include <cstdint>
#include <cstring>

#include "simd/simd.h"

namespace orvex {

#if defined(ORVEX_SIMD_X86)
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

ORVEX_TARGET_AVX2 void CopyRowAvx2(uint8_t* d, const uint8_t* s, size_t bytes) {
    CopyVectors(d, s, bytes, 32, [](uint8_t* to, const uint8_t* from) ORVEX_TARGET_AVX2 {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(to),
                            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from)));
    });
}

void CopyRowSse2(uint8_t* d, const uint8_t* s, size_t bytes) {
    CopyVectors(d, s, bytes, 16, [](uint8_t* to, const uint8_t* from) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(from)));
    });
}

}  // namespace
#endif

void CopyRow(void* dst, const void* src, size_t bytes) {
#if defined(ORVEX_SIMD_X86)
    auto* d = static_cast<uint8_t*>(dst);
    const auto* s = static_cast<const uint8_t*>(src);
    const SimdLevel level = ActiveSimdLevel();
    if (level >= SimdLevel::Avx2 && bytes >= 32) return CopyRowAvx2(d, s, bytes);
    if (level >= SimdLevel::Sse2 && bytes >= 16) return CopyRowSse2(d, s, bytes);
#endif
    std::memcpy(dst, src, bytes);
}

void StreamCopy(void* dst, const void* src, size_t bytes) {
#if defined(ORVEX_SIMD_X86)
    auto* d = static_cast<uint8_t*>(dst);
    const auto* s = static_cast<const uint8_t*>(src);
    // Streaming stores fill whole 64-byte lines: a line written partly by
    // them and partly by plain stores would be flushed half-full and read
    // back. The partial lines at both ends are plain copies.
    const size_t head = (64 - reinterpret_cast<uintptr_t>(d) % 64) % 64;
    if (bytes < head + 64) {
        std::memcpy(d, s, bytes);
        return;
    }
    std::memcpy(d, s, head);
    size_t i = head;
    for (; i + 64 <= bytes; i += 64)
        for (size_t k = 0; k < 64; k += 16)
            _mm_stream_si128(reinterpret_cast<__m128i*>(d + i + k),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + k)));
    std::memcpy(d + i, s + i, bytes - i);
#else
    std::memcpy(dst, src, bytes);
#endif
}

void StreamFence() {
#if defined(ORVEX_SIMD_X86)
    _mm_sfence();
#endif
}

}  // namespace orvex
