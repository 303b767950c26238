// SSE2 row copies.
#include <cstring>

#include "core/stream_copy.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)
#include "core/stream_copy_x86.h"

namespace orvex {
namespace {

using copy_x86::CopyVectors;
using copy_x86::StreamLines;

void CopyRowSse2(void* dst, const void* src, size_t bytes) {
    auto* d = static_cast<uint8_t*>(dst);
    const auto* s = static_cast<const uint8_t*>(src);
    if (bytes < 16) {
        std::memcpy(dst, src, bytes);
        return;
    }
    CopyVectors(d, s, bytes, 16, [](uint8_t* to, const uint8_t* from) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(from)));
    });
}

void StreamCopySse2(void* dst, const void* src, size_t bytes) {
    StreamLines(static_cast<uint8_t*>(dst), static_cast<const uint8_t*>(src), bytes,
                [](uint8_t* to, const uint8_t* from) {
                    for (size_t k = 0; k < 64; k += 16)
                        _mm_stream_si128(
                            reinterpret_cast<__m128i*>(to + k),
                            _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + k)));
                });
}

void FenceSse2() {
    _mm_sfence();
}

}  // namespace

extern const RowCopySet kRowCopySse2 = {CopyRowSse2, StreamCopySse2, FenceSse2};

}  // namespace orvex
#else
namespace orvex {
extern const RowCopySet kRowCopySse2 = {};
}  // namespace orvex
#endif
