// The AVX-512 build of the colour stage's loops: the same body, compiled
// for the widest set, and the byte curve fused with the matrix in
// registers, its segments' constants taken by two-table permutes instead of
// memory gathers.
#include "pack/colour_rows.h"
#include "simd/x86/x86.h"

namespace orvex {

#if defined(ORVEX_X86)
ORVEX_AVX512_HEADERS_BEGIN
namespace {

// Sixteen pixels' samples as single-precision values; a group's last
// pixels only where `lanes` says (the others read as 0, never touched).
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE __m512 Load16(const uint16_t* p, __mmask32 lanes) {
    return _mm512_cvtepi32_ps(
        _mm512_cvtepu16_epi32(_mm512_castsi512_si256(_mm512_maskz_loadu_epi16(lanes, p))));
}

// The byte curve's constants in registers.
struct CurveRegisters {
    __m512 m[9], lo[3], hi[3];
};

ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE void LoadCurve(const ColourValues& cv, CurveRegisters& k) {
    for (size_t i = 0; i < 9; ++i) k.m[i] = _mm512_set1_ps(cv.matrix[i]);
    for (size_t i = 0; i < 3; ++i) {
        k.lo[i] = _mm512_loadu_ps(cv.curve[i]);
        k.hi[i] = _mm512_loadu_ps(cv.curve[i] + 16);
    }
}

// Matrix, clamp and byte curve of sixteen pixels, the portable loops'
// operations in their order: out[c] holds channel c's bytes, one a lane.
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE void Curve16(const CurveRegisters& k, const uint16_t* r,
                                                     const uint16_t* g, const uint16_t* b,
                                                     __mmask32 lanes, __m512i (&out)[3]) {
    const __m512 floor = _mm512_set1_ps(kCurveFloor), one = _mm512_set1_ps(1.0f);
    const __m512 x0 = Load16(r, lanes), x1 = Load16(g, lanes), x2 = Load16(b, lanes);
    for (size_t c = 0; c < 3; ++c) {
        const __m512 v = _mm512_add_ps(
            _mm512_add_ps(_mm512_mul_ps(k.m[3 * c], x0), _mm512_mul_ps(k.m[3 * c + 1], x1)),
            _mm512_mul_ps(k.m[3 * c + 2], x2));
        // Clamped to 0 .. 1, then raised to the curve's floor: the first
        // maximum changes nothing the second keeps.
        const __m512i u = _mm512_castps_si512(_mm512_max_ps(_mm512_min_ps(v, one), floor));
        const __m512i s = _mm512_srli_epi32(u, 22);  // the permutes read its low five bits
        // The mantissa with exponent 0: the and-or of the portable form.
        const __m512 mt =
            _mm512_getmant_ps(_mm512_castsi512_ps(u), _MM_MANT_NORM_1_2, _MM_MANT_SIGN_src);
        const __m512 c0 = _mm512_permutex2var_ps(k.lo[0], s, k.hi[0]);
        const __m512 c1 = _mm512_permutex2var_ps(k.lo[1], s, k.hi[1]);
        const __m512 c2 = _mm512_permutex2var_ps(k.lo[2], s, k.hi[2]);
        const __m512 p =
            _mm512_add_ps(_mm512_mul_ps(_mm512_add_ps(_mm512_mul_ps(c2, mt), c1), mt), c0);
        out[c] = _mm512_cvttps_epi32(p);
    }
}

// Whole groups of sixteen pixels through the byte curve in registers; the
// rest of the chunk, and every other curve, by the portable loops.
ORVEX_TARGET_AVX512 void Chunk(const ColourValues& cv, const uint16_t* r, const uint16_t* g,
                               const uint16_t* b, size_t n, uint16_t* outR, uint16_t* outG,
                               uint16_t* outB) {
    size_t k = 0;
    if (cv.curveBytes) {
        CurveRegisters regs;
        LoadCurve(cv, regs);
        uint16_t* const out[3] = {outR, outG, outB};
        for (; k + 16 <= n; k += 16) {
            __m512i v[3];
            Curve16(regs, r + k, g + k, b + k, 0xFFFF, v);
            for (size_t c = 0; c < 3; ++c)
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(out[c] + k),
                                    _mm512_cvtepi32_epi16(v[c]));
        }
    }
    if (k < n) ColourChunk(cv, r + k, g + k, b + k, n - k, outR + k, outG + k, outB + k);
}

// Up to sixteen pixels (the lanes and bytes the masks hold) through the
// byte curve into three-byte pixels: each lane's three bytes gathered into
// its low bytes, then twelve bytes of each 128-bit lane, then the four
// lanes' 48 bytes.
ORVEX_TARGET_AVX512 ORVEX_VECTOR_INLINE void Triple16(const CurveRegisters& regs, const uint16_t* r,
                                                      const uint16_t* g, const uint16_t* b,
                                                      __mmask32 lanes, __mmask64 pixels,
                                                      uint8_t* out, bool redFirst) {
    const __m512i bytes = _mm512_broadcast_i32x4(
        _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1));
    const __m512i tighten = _mm512_setr_epi32(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 3, 7, 11, 15);
    __m512i v[3];
    Curve16(regs, r, g, b, lanes, v);
    const __m512i first = redFirst ? v[0] : v[2], last = redFirst ? v[2] : v[0];
    // first | green << 8 | last << 16 (0xFE: a or b or c).
    const __m512i packed = _mm512_ternarylogic_epi32(first, _mm512_slli_epi32(v[1], 8),
                                                     _mm512_slli_epi32(last, 16), 0xFE);
    _mm512_mask_storeu_epi8(out, pixels,
                            _mm512_permutexvar_epi32(tighten, _mm512_shuffle_epi8(packed, bytes)));
}

// Every pixel into three-byte pixels, sixteen at a time, the last group
// masked.
ORVEX_TARGET_AVX512 size_t Triple(const ColourValues& cv, const uint16_t* r, const uint16_t* g,
                                  const uint16_t* b, size_t n, uint8_t* out, bool redFirst) {
    if (!cv.curveBytes) return 0;
    CurveRegisters regs;
    LoadCurve(cv, regs);
    size_t k = 0;
    for (; k + 16 <= n; k += 16)
        Triple16(regs, r + k, g + k, b + k, 0xFFFF, (__mmask64(1) << 48) - 1, out + 3 * k,
                 redFirst);
    if (k < n) {
        const size_t count = n - k;
        Triple16(regs, r + k, g + k, b + k, __mmask32((1u << count) - 1),
                 (__mmask64(1) << (3 * count)) - 1, out + 3 * k, redFirst);
    }
    return n;
}

}  // namespace

extern const ColourChunkFn kColourAvx512 = Chunk;
extern const ColourTripleFn kColourTripleAvx512 = Triple;

ORVEX_AVX512_HEADERS_END
#else
extern const ColourChunkFn kColourAvx512 = nullptr;
extern const ColourTripleFn kColourTripleAvx512 = nullptr;
#endif

}  // namespace orvex
