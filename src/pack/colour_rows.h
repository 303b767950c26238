// The colour stage's loops, included by the file of each build that
// compiles them (portable, AVX2, AVX-512): the matrix product clamped to
// 0 .. 1, then the curve, each a plain loop over a chunk that the compiler
// vectorises with the same operations in the same order at every level.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "core/samples.h"
#include "pack/colour_stage.h"

namespace orvex {
namespace {

ORVEX_INLINE void ColourChunk(const ColourValues& cv, const uint16_t* __restrict r,
                              const uint16_t* __restrict g, const uint16_t* __restrict b, size_t n,
                              uint16_t* __restrict outR, uint16_t* __restrict outG,
                              uint16_t* __restrict outB) {
    float y[3][kColourChunk];
    const float* m = cv.matrix;
    const float s = cv.inScale;
    for (size_t k = 0; k < n; ++k) {
        const float x0 = r[k] * s, x1 = g[k] * s, x2 = b[k] * s;
        for (size_t c = 0; c < 3; ++c) {
            const float v = m[3 * c] * x0 + m[3 * c + 1] * x1 + m[3 * c + 2] * x2;
            y[c][k] = v > 0 ? (v < 1 ? v : 1) : 0;
        }
    }
    uint16_t* const out[3] = {outR, outG, outB};
    for (size_t c = 0; c < 3; ++c) {
        const float* v = y[c];
        uint16_t* o = out[c];
        if (cv.transfer == Transfer::Linear) {
            for (size_t k = 0; k < n; ++k) o[k] = uint16_t(v[k] * cv.outputMax + 0.5f);
        } else if (cv.table != nullptr) {
            const uint32_t* table = cv.table;
            for (size_t k = 0; k < n; ++k)
                o[k] = uint16_t(table[int32_t(v[k] * kSrgbSteps + 0.5f)]);
        } else {
            for (size_t k = 0; k < n; ++k)
                o[k] = uint16_t(std::floor(SrgbCurve(v[k]) * cv.outputMax + 0.5));
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
