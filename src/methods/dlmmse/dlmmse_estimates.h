// The directional estimates of the LMMSE demosaic: the low-pass along a
// line, the differences green minus colour, one direction's estimate with
// its error variance, and the fusion of both directions. Included by the
// stages through dlmmse_rows.h, in each build's file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/samples.h"

// The loops read and write distinct rows: tell GCC's vectoriser so, instead
// of having it compare every pair of pointers. Clang (the fuzzing build)
// keeps its own judgement: forcing it there warns wherever it declines.
#if defined(__GNUC__) && !defined(__clang__)
#define ORVEX_IVDEP _Pragma("GCC ivdep")
#else
#define ORVEX_IVDEP
#endif

namespace orvex {
namespace {

// Low-pass taps: a Gaussian of sigma 2 over nine samples, exp(-k^2 / 8)
// normalised to sum 1, written out so that every platform gives the same
// numbers.
constexpr float kLowPass[9] = {0.02763055f, 0.06628224f, 0.12383153f, 0.18017390f, 0.20416368f,
                               0.18017390f, 0.12383153f, 0.06628224f, 0.02763055f};
constexpr float kNinth = 1.0f / 9;

// The low-pass of nine samples in order, its symmetric taps paired.
ORVEX_INLINE float LowPass9(float a0, float a1, float a2, float a3, float a4, float a5, float a6,
                            float a7, float a8) {
    return (kLowPass[0] * (a0 + a8) + kLowPass[1] * (a1 + a7)) +
           (kLowPass[2] * (a2 + a6) + kLowPass[3] * (a3 + a5)) + kLowPass[4] * a4;
}

// The sum of nine samples a0 .. a8 is ((a0 + a1) + (a2 + a3)) + ((a4 + a5)
// + (a6 + a7)) + a8: the sums of four that start at a colour site's row (or
// column) serve the colour sites two on and two back as well, so each is
// added once per row.
ORVEX_INLINE float Quad(float a0, float a1, float a2, float a3) {
    return (a0 + a1) + (a2 + a3);
}

// One direction's LMMSE estimate of the difference from nine-sample sums
// of its low-pass, square and residual: signal variance S and noise
// variance N give the estimate (N * smooth + S * diff) / (S + N) and its
// error variance S * N / (S + N); kept here as those numerators and the
// common denominator.
struct Lmmse {
    float weighted, error, total;  // numerators of estimate and error; S + N
};

ORVEX_INLINE Lmmse LmmseOf(float sum, float squares, float noise, float smooth, float diff) {
    const float mean = sum * kNinth;
    const float spread = squares * kNinth - mean * mean;
    const float signal = (spread > 0 ? spread : 0) + 1e-5f;
    const float noiseVariance = noise * kNinth + 1e-5f;
    return {noiseVariance * smooth + signal * diff, signal * noiseVariance, signal + noiseVariance};
}

// The two directions' estimates fused with weights inverse to their error
// variances, eV / (eH + eV) and eH / (eH + eV), written over one
// denominator so a single division serves the site. Every factor is at
// least 1e-5, so the denominator is never zero; for samples of 16 bits the
// products stay far inside single precision's range.
ORVEX_INLINE float Fused(const Lmmse& h, const Lmmse& v) {
    return (v.error * h.weighted + h.error * v.weighted) / (h.error * v.total + v.error * h.total);
}

// floor(v + 0.5) limited to 0 .. limit: within the limits the truncation
// of a non-negative value is its floor.
ORVEX_INLINE uint16_t DlmmseSample(float v, float limit) {
    const float r = v + 0.5f;
    const float low = r > 0 ? r : 0;
    return uint16_t(int32_t(low < limit ? low : limit));
}

// Green minus the line's colour (colour sites: minus green minus the
// colour) by Laplacian-corrected interpolation along the line, from the
// line's samples two before (a), one before (b), here (c), one after (d)
// and two after (e).
ORVEX_INLINE void Differences(const float* __restrict a, const float* __restrict b,
                              const float* __restrict c, const float* __restrict d,
                              const float* __restrict e, float sign, float* __restrict out,
                              size_t first, size_t end) {
    ORVEX_IVDEP
    for (size_t i = first; i < end; ++i) {
        const float est = (b[i] + d[i]) * 0.5f + (2 * c[i] - a[i] - e[i]) * 0.25f;
        out[i] = (c[i] - est) * sign;
    }
}

// The low-passed difference at each entry from nine rows (or nine window
// columns) a0 .. a8 of differences, its square, and the squared residual
// of the difference itself (a4).
ORVEX_INLINE void Smooth(const float* a0, const float* a1, const float* a2, const float* a3,
                         const float* a4, const float* a5, const float* a6, const float* a7,
                         const float* a8, float* smooth, float* square, float* noise, size_t first,
                         size_t end) {
    ORVEX_IVDEP
    for (size_t i = first; i < end; ++i) {
        const float s = LowPass9(a0[i], a1[i], a2[i], a3[i], a4[i], a5[i], a6[i], a7[i], a8[i]);
        smooth[i] = s;
        square[i] = s * s;
        noise[i] = (a4[i] - s) * (a4[i] - s);
    }
}

// Sums of four rows r .. r + 3 (a0 .. a3) of three planes at once.
ORVEX_INLINE void Quads(const float* s0, const float* s1, const float* s2, const float* s3,
                        const float* q0, const float* q1, const float* q2, const float* q3,
                        const float* n0, const float* n1, const float* n2, const float* n3,
                        float* smooth, float* square, float* noise, size_t first, size_t end) {
    ORVEX_IVDEP
    for (size_t i = first; i < end; ++i) {
        smooth[i] = Quad(s0[i], s1[i], s2[i], s3[i]);
        square[i] = Quad(q0[i], q1[i], q2[i], q3[i]);
        noise[i] = Quad(n0[i], n1[i], n2[i], n3[i]);
    }
}

// The window columns 2i + p - 4 .. 2i + p + 4 of a row split in halves, in
// order, as nine pointers read at index i (p: the half of column 2i + p).
struct NineColumns {
    const float* at[9];
    NineColumns(const float* plane, size_t half, size_t p) {
        const float* same = plane + p * half;
        const float* other = plane + (1 - p) * half + p - 1;  // column 2i + p - 1 at index i
        for (ptrdiff_t k = 0; k < 9; ++k)
            at[k] = k % 2 == 0 ? same + (k / 2 - 2) : other + (k - 3) / 2;
    }
};

// One step down the columns of a half: the differences of row rv from
// mosaic rows rv - 2 .. rv + 2, the low-pass of row rv - 4 from difference
// rows rv - 8 .. rv (the last just computed), and the sums of four rows
// from rv - 7 (the last just low-passed).
struct ColumnStep {
    const float *m0, *m1, *m2, *m3, *m4;
    float sign;
    float* diff;
    const float *d0, *d1, *d2, *d3, *d4, *d5, *d6, *d7;
    float *smooth, *square, *noise;
    const float *s1, *s2, *s3, *q1, *q2, *q3, *n1, *n2, *n3;
    float *quadSmooth, *quadSquare, *quadNoise;
};

template <bool kSmooth, bool kQuads>
ORVEX_INLINE void StepColumns(const ColumnStep& in, size_t end) {
    const ColumnStep v = in;
    ORVEX_IVDEP
    for (size_t i = 0; i < end; ++i) {
        const float est = (v.m1[i] + v.m3[i]) * 0.5f + (2 * v.m2[i] - v.m0[i] - v.m4[i]) * 0.25f;
        const float d = (v.m2[i] - est) * v.sign;
        v.diff[i] = d;
        if (!kSmooth) continue;
        const float s =
            LowPass9(v.d0[i], v.d1[i], v.d2[i], v.d3[i], v.d4[i], v.d5[i], v.d6[i], v.d7[i], d);
        const float sq = s * s, n = (v.d4[i] - s) * (v.d4[i] - s);
        v.smooth[i] = s;
        v.square[i] = sq;
        v.noise[i] = n;
        if (!kQuads) continue;
        v.quadSmooth[i] = Quad(v.s1[i], v.s2[i], v.s3[i], s);
        v.quadSquare[i] = Quad(v.q1[i], v.q2[i], v.q3[i], sq);
        v.quadNoise[i] = Quad(v.n1[i], v.n2[i], v.n3[i], n);
    }
}

}  // namespace
}  // namespace orvex
