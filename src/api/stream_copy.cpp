#include "api/stream_copy.h"

#include <cstdint>
#include <cstring>

#include "api/simd.h"

namespace orvex {

void StreamCopy(void* dst, const void* src, size_t bytes) {
#if defined(ORVEX_SIMD_X86)
    auto* d = static_cast<uint8_t*>(dst);
    const auto* s = static_cast<const uint8_t*>(src);
    // Streaming stores need 16-byte aligned addresses: plain copies of the
    // head up to the first one and of the tail.
    const size_t head = (16 - reinterpret_cast<uintptr_t>(d) % 16) % 16;
    if (bytes < head + 16) {
        std::memcpy(d, s, bytes);
        return;
    }
    std::memcpy(d, s, head);
    size_t i = head;
    for (; i + 16 <= bytes; i += 16)
        _mm_stream_si128(reinterpret_cast<__m128i*>(d + i),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
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
