// The loop that applies black level, white level and gains to a row of
// 16-bit samples, included by the file of each build that compiles it
// (portable, AVX2, AVX-512): the same single-precision operations in the
// same order at every level, which the compiler vectorises.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/samples.h"
#include "unpack/source_rows.h"

namespace orvex {
namespace {

ORVEX_INLINE uint16_t Corrected(uint32_t s, float black, float scale, float limit) {
    // floor(v + 0.5) within 0 .. limit: there the truncation of a
    // non-negative value is its floor.
    const float v = (float(s) - black) * scale + 0.5f;
    const float low = v > 0 ? v : 0;
    return uint16_t(int32_t(low < limit ? low : limit));
}

ORVEX_INLINE void CorrectRowLoop(const SiteCorrection& c, size_t y, uint16_t* row, size_t count) {
    // The row's two sites alternate: constants laid out the same way let
    // one plain loop over a block serve both.
    constexpr size_t kBlock = 64;
    const size_t site = (y & 1) * 2;
    float black[kBlock], scale[kBlock];
    for (size_t k = 0; k < kBlock; ++k) {
        black[k] = c.black[site + (k & 1)];
        scale[k] = c.scale[site + (k & 1)];
    }
    const float limit = float(c.maxValue);
    for (size_t x = 0; x < count; x += kBlock) {
        const size_t n = count - x < kBlock ? count - x : kBlock;
        uint16_t* r = row + x;
        for (size_t k = 0; k < n; ++k) r[k] = Corrected(r[k], black[k], scale[k], limit);
    }
}

}  // namespace
}  // namespace orvex

#define ORVEX_CORRECT_SET(Name, TARGET)                                                   \
    namespace {                                                                           \
    TARGET void Correct(const SiteCorrection& c, size_t y, uint16_t* row, size_t count) { \
        CorrectRowLoop(c, y, row, count);                                                 \
    }                                                                                     \
    }                                                                                     \
    extern const CorrectRowFn Name = Correct;
