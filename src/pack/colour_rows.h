// The colour stage's loops, included by the file of each build that
// compiles them (portable, AVX2, AVX-512): the matrix product clamped to
// 0 .. 1, then the curve, each a plain loop over a chunk that the compiler
// vectorises with the same operations in the same order at every level.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/samples.h"
#include "pack/colour_stage.h"

namespace orvex {
namespace {

// log2 y of a positive normal y and 2^x, in single precision from the
// exponent bits and polynomials interpolating at Chebyshev nodes (errors
// below 3e-6 and 3e-9), so the curve below is within 1e-6 of its exact
// value: far inside an output step, and the same operations at every level.
ORVEX_INLINE float Log2(float y) {
    uint32_t u;
    std::memcpy(&u, &y, 4);
    const float e = float(int32_t(u >> 23) - 127);
    const uint32_t mantissa = (u & 0x007FFFFFu) | 0x3F800000u;
    float m;
    std::memcpy(&m, &mantissa, 4);
    const float t = m - 1;
    const float p = 2.44343872e-06f +
                    t * (1.44245353f +
                         t * (-0.71731278f +
                              t * (0.454508492f +
                                   t * (-0.272697565f + t * (0.117613084f + t * -0.0245685347f)))));
    return e + p;
}

ORVEX_INLINE float Exp2(float x) {
    const float whole = std::floor(x), f = x - whole;
    const float q =
        1.0f + f * (0.693146933f +
                    f * (0.240230454f +
                         f * (0.0554806302f +
                              f * (0.00968418631f + f * (0.00123913318f + f * 0.000218657848f)))));
    uint32_t u;
    std::memcpy(&u, &q, 4);
    u += uint32_t(int32_t(whole)) << 23;
    float r;
    std::memcpy(&r, &u, 4);
    return r;
}

// The IEC 61966-2-1 curve of y in 0 .. 1.
ORVEX_INLINE float Srgb(float y) {
    const float power = 1.055f * Exp2(Log2(y) * (1 / 2.4f)) - 0.055f;
    return y <= 0.0031308f ? 12.92f * y : power;
}

// The curve into bytes through the segments, one sample at a time.
struct PlainCurveBytes {
    static ORVEX_INLINE void Run(const ColourValues& cv, const float* v, size_t n, uint16_t* o) {
        for (size_t k = 0; k < n; ++k) {
            const float y = v[k] > kCurveFloor ? v[k] : kCurveFloor;
            uint32_t u;
            std::memcpy(&u, &y, 4);
            const uint32_t s = (u >> 22) & (kCurveSegments - 1);
            const uint32_t mantissa = (u & 0x007FFFFFu) | 0x3F800000u;
            float m;
            std::memcpy(&m, &mantissa, 4);
            const float p = (cv.curve[2][s] * m + cv.curve[1][s]) * m + cv.curve[0][s];
            o[k] = uint16_t(int32_t(p));  // p > 0.3 everywhere: truncation is the floor
        }
    }
};

// The matrix product of n pixels, clamped to 0 .. 1.
ORVEX_INLINE void MatrixChunk(const ColourValues& cv, const uint16_t* __restrict r,
                              const uint16_t* __restrict g, const uint16_t* __restrict b, size_t n,
                              float (&y)[3][kColourChunk]) {
    const float* m = cv.matrix;  // scaled to the source's range
    for (size_t k = 0; k < n; ++k) {
        const float x0 = r[k], x1 = g[k], x2 = b[k];
        for (size_t c = 0; c < 3; ++c) {
            const float v = m[3 * c] * x0 + m[3 * c + 1] * x1 + m[3 * c + 2] * x2;
            const float low = v > 0 ? v : 0;  // a maximum, then a minimum
            y[c][k] = low < 1 ? low : 1;
        }
    }
}

// The same through the curve, unrounded: values of float outputs.
ORVEX_INLINE void ColourFloatChunk(const ColourValues& cv, const uint16_t* __restrict r,
                                   const uint16_t* __restrict g, const uint16_t* __restrict b,
                                   size_t n, float* __restrict outR, float* __restrict outG,
                                   float* __restrict outB) {
    float y[3][kColourChunk];
    MatrixChunk(cv, r, g, b, n, y);
    float* const out[3] = {outR, outG, outB};
    for (size_t c = 0; c < 3; ++c) {
        const float* v = y[c];
        float* o = out[c];
        if (cv.transfer == Transfer::Linear) {
            for (size_t k = 0; k < n; ++k) o[k] = v[k];
        } else {
            // The polynomials may stray a little past 0 and 1 at the ends.
            for (size_t k = 0; k < n; ++k) {
                const float s = Srgb(v[k]), low = s > 0 ? s : 0;
                o[k] = low < 1 ? low : 1;
            }
        }
    }
}

ORVEX_INLINE void ColourChunk(const ColourValues& cv, const uint16_t* __restrict r,
                              const uint16_t* __restrict g, const uint16_t* __restrict b, size_t n,
                              uint16_t* __restrict outR, uint16_t* __restrict outG,
                              uint16_t* __restrict outB) {
    float y[3][kColourChunk];
    MatrixChunk(cv, r, g, b, n, y);
    uint16_t* const out[3] = {outR, outG, outB};
    for (size_t c = 0; c < 3; ++c) {
        const float* v = y[c];
        uint16_t* o = out[c];
        if (cv.transfer == Transfer::Linear) {
            for (size_t k = 0; k < n; ++k) o[k] = uint16_t(v[k] * cv.outputMax + 0.5f);
        } else if (cv.curveBytes) {
            PlainCurveBytes::Run(cv, v, n, o);
        } else {
            for (size_t k = 0; k < n; ++k) {
                const float c = Srgb(v[k]) * cv.outputMax + 0.5f;
                o[k] = uint16_t(c > 0 ? c : 0);  // the polynomial may dip below 0 at y = 0
            }
        }
    }
}

}  // namespace
}  // namespace orvex

#define ORVEX_COLOUR_SET(Name, TARGET)                                              \
    namespace {                                                                     \
    TARGET void Chunk(const ColourValues& cv, const uint16_t* r, const uint16_t* g, \
                      const uint16_t* b, size_t n, uint16_t* outR, uint16_t* outG,  \
                      uint16_t* outB) {                                             \
        ColourChunk(cv, r, g, b, n, outR, outG, outB);                              \
    }                                                                               \
    }                                                                               \
    extern const ColourChunkFn Name = Chunk;

#define ORVEX_COLOUR_FLOAT_SET(Name, TARGET)                                                     \
    namespace {                                                                                  \
    TARGET void FloatChunk(const ColourValues& cv, const uint16_t* r, const uint16_t* g,         \
                           const uint16_t* b, size_t n, float* outR, float* outG, float* outB) { \
        ColourFloatChunk(cv, r, g, b, n, outR, outG, outB);                                      \
    }                                                                                            \
    }                                                                                            \
    extern const ColourFloatChunkFn Name = FloatChunk;
