#include "api/stream_copy.h"

#include <cstdint>
#include <cstring>

#include "api/simd.h"

namespace orvex {

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
