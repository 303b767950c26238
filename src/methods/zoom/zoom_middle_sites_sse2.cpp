// SSE2 middle-site kernels of the zoom.
#include "methods/zoom/zoom_middle_sites.h"
#include "simd/x86/x86.h"

#if defined(ORVEX_X86)
#include "methods/zoom/zoom_middle_sites_x86.h"

namespace orvex::zoom_x86 {
namespace {

ORVEX_VECTOR_INLINE __m128i LoadVector(const uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Lane operations of one sample width and vector width.
struct Ops8 {  // 8-bit samples in 16-bit lanes, 16 columns
    using V = __m128i;
    static constexpr size_t kColumns = 16, kBytes = 1;
    static V Load(const uint8_t* p) { return LoadVector(p); }
    static V Even(V v) { return _mm_and_si128(v, _mm_set1_epi16(0x00FF)); }
    static V Odd(V v) { return _mm_srli_epi16(v, 8); }
    static V Add(V a, V b) { return _mm_add_epi16(a, b); }
    static V Sum(V a, V b, V c) { return Add(Add(a, b), Add(c, _mm_set1_epi16(2))); }
    static V Third(V t) { return _mm_mulhi_epu16(t, _mm_set1_epi16(0x5556)); }
    static V Join(V even, V odd) { return _mm_or_si128(even, _mm_slli_epi16(odd, 8)); }
    static void Store(uint8_t* p, V v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
};

struct Ops16 {  // 16-bit samples in 32-bit lanes, 8 columns
    using V = __m128i;
    static constexpr size_t kColumns = 8, kBytes = 2;
    static V Load(const uint8_t* p) { return LoadVector(p); }
    static V Even(V v) { return _mm_and_si128(v, _mm_set1_epi32(0xFFFF)); }
    static V Odd(V v) { return _mm_srli_epi32(v, 16); }
    static V Add(V a, V b) { return _mm_add_epi32(a, b); }
    static V Sum(V a, V b, V c) { return Add(Add(a, b), Add(c, _mm_set1_epi32(2))); }
    static V Third(V t) {
        const __m128 q =
            _mm_mul_ps(_mm_add_ps(_mm_cvtepi32_ps(t), _mm_set1_ps(0.5f)), _mm_set1_ps(1.0f / 3.0f));
        return _mm_cvttps_epi32(q);
    }
    static V Join(V even, V odd) { return _mm_or_si128(even, _mm_slli_epi32(odd, 16)); }
    static void Store(uint8_t* p, V v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
};

// The pair at column c + 2j: colour from heavy and light at c + 2j, green
// from heavy at c + 2j + 1 and diag at c + 2j and c + 2j + 2. The loads
// reach one column past the last pair, which the bound keeps inside the run.
template <class O>
size_t MiddleSites(ORVEX_MIDDLE_SITES_ARGS) {
    using V = typename O::V;
    constexpr size_t kB = O::kBytes, kStep = O::kColumns;
    for (; c + kStep + 1 <= end; c += kStep) {
        const V h = O::Load(heavy + kB * c), l = O::Load(light + kB * c);
        const V d0 = O::Load(diag + kB * c), d1 = O::Load(diag + kB * (c + 2));
        const V he = O::Even(h);
        const V colour = O::Third(O::Sum(he, he, O::Even(l)));
        const V green = O::Third(O::Sum(O::Even(d0), O::Odd(h), O::Even(d1)));
        O::Store(out + kB * c, O::Join(colour, green));
    }
    return c;
}

}  // namespace
}  // namespace orvex::zoom_x86

namespace orvex {
extern const ZoomMiddleSet kZoomMiddleSse2 = {zoom_x86::MiddleSites<zoom_x86::Ops8>,
                                              zoom_x86::MiddleSites<zoom_x86::Ops16>};
}  // namespace orvex
#else
namespace orvex {
extern const ZoomMiddleSet kZoomMiddleSse2 = {};
}  // namespace orvex
#endif
