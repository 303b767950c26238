// AVX2 row copies.
#include <cstring>

#include "core/stream_copy.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)
#include "core/stream_copy_x86.h"

namespace orvex {
namespace {

using copy_x86::CopyVectors;

ORVEX_TARGET_AVX2 void CopyRowAvx2(void* dst, const void* src, size_t bytes) {
    auto* d = static_cast<uint8_t*>(dst);
    const auto* s = static_cast<const uint8_t*>(src);
    if (bytes < 32) {
        std::memcpy(dst, src, bytes);
        return;
    }
    CopyVectors(d, s, bytes, 32, [](uint8_t* to, const uint8_t* from) ORVEX_TARGET_AVX2 {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(to),
                            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from)));
    });
}

}  // namespace

extern const RowCopySet kRowCopyAvx2 = {CopyRowAvx2, nullptr, nullptr};

}  // namespace orvex
#else
namespace orvex {
extern const RowCopySet kRowCopyAvx2 = {};
}  // namespace orvex
#endif
