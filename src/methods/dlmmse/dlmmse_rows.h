// The passes of the directional LMMSE demosaic over a strip, included by the
// file of each build that compiles them (portable and AVX2 builds of one
// body).
//
// The strip's mosaic is read with a margin of kDlmmseMargin samples on
// every side (by reflection about the frame's edge sample where the frame
// ends); every estimate is computed on that window and only the strip's
// own pixels are kept. A pixel depends on the samples within the margin
// and on nothing else, so strips, bands and tiles give the same bytes.
// Each pass is a plain loop over a row, the same arithmetic at every site
// (sites of another kind select another result), so the compiler
// vectorises it without changing a value: every sum runs in the order the
// equations give, and no value depends on the vector width.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "core/mirror.h"
#include "core/samples.h"
#include "methods/dlmmse/dlmmse_demosaic.h"
#include "pack/pack_rows.h"

// The nine-tap sums are written as loops; unrolled, they leave the loop
// over the row's sites plain for the vectoriser.
#if defined(__GNUC__) && !defined(__clang__)
#define ORVEX_UNROLL9 _Pragma("GCC unroll 9")
#elif defined(__clang__)
#define ORVEX_UNROLL9 _Pragma("unroll 9")
#else
#define ORVEX_UNROLL9
#endif

namespace orvex {
namespace {

// Low-pass taps: a Gaussian of sigma 2 over nine samples, exp(-k^2 / 8)
// normalised to sum 1, written out so that every platform gives the same
// numbers.
constexpr float kLowPass[9] = {0.02763055f, 0.06628224f, 0.12383153f, 0.18017390f, 0.20416368f,
                               0.18017390f, 0.12383153f, 0.06628224f, 0.02763055f};

// The strip's planes, `stride` floats per row; row temporaries of the
// horizontal direction.
struct DlmmseWindow {
    float *mosaic, *diffV, *smoothV, *squareV, *noiseV, *green, *red, *blue;
    float *diffH, *smoothH, *squareH, *noiseH;
    float* sums[6];
    size_t stride;
    float* Row(float* plane, size_t y) const { return plane + y * stride; }
};

// The low-passed difference s at x from d0[x - 4] .. d8[x - 4] (the nine
// neighbours, in order), its square, and the squared residual of the
// difference itself (d4), for x in first .. end - 1.
ORVEX_INLINE void Smooth9(float* __restrict smooth, float* __restrict square,
                          float* __restrict noise, const float* __restrict d0,
                          const float* __restrict d1, const float* __restrict d2,
                          const float* __restrict d3, const float* __restrict d4,
                          const float* __restrict d5, const float* __restrict d6,
                          const float* __restrict d7, const float* __restrict d8, size_t first,
                          size_t end) {
    for (size_t x = first; x < end; ++x) {
        float s = 0;
        s += kLowPass[0] * d0[x - 4];
        s += kLowPass[1] * d1[x - 4];
        s += kLowPass[2] * d2[x - 4];
        s += kLowPass[3] * d3[x - 4];
        s += kLowPass[4] * d4[x - 4];
        s += kLowPass[5] * d5[x - 4];
        s += kLowPass[6] * d6[x - 4];
        s += kLowPass[7] * d7[x - 4];
        s += kLowPass[8] * d8[x - 4];
        smooth[x] = s;
        square[x] = s * s;
        noise[x] = (d4[x - 4] - s) * (d4[x - 4] - s);
    }
}

// out[x] = the sum of a0[x - 4] .. a8[x - 4], in that order, for x in
// first .. end - 1 (the arrays point four samples on, so no pointer leaves
// its row).
ORVEX_INLINE void Sums9(float* __restrict out, const float* __restrict a0,
                        const float* __restrict a1, const float* __restrict a2,
                        const float* __restrict a3, const float* __restrict a4,
                        const float* __restrict a5, const float* __restrict a6,
                        const float* __restrict a7, const float* __restrict a8, size_t first,
                        size_t end) {
    for (size_t x = first; x < end; ++x) {
        float s = 0;
        s += a0[x - 4];
        s += a1[x - 4];
        s += a2[x - 4];
        s += a3[x - 4];
        s += a4[x - 4];
        s += a5[x - 4];
        s += a6[x - 4];
        s += a7[x - 4];
        s += a8[x - 4];
        out[x] = s;
    }
}

// The LMMSE estimate of one direction from nine-sample sums, and its error
// variance.
ORVEX_INLINE void Lmmse(float sum, float squares, float noise, float smooth, float diff,
                        float& estimate, float& error) {
    const float mean = sum / 9;
    const float spread = squares / 9 - mean * mean;
    const float signal = (spread > 0 ? spread : 0) + 1e-5f;
    const float noiseVariance = noise / 9 + 1e-5f;
    const float gain = signal / (signal + noiseVariance);
    estimate = smooth + gain * (diff - smooth);
    error = signal - gain * signal;
}

ORVEX_INLINE uint16_t DlmmseSample(float v, float limit) {
    const float r = std::floor(v + 0.5f);
    return uint16_t(r < 0 ? 0 : r > limit ? limit : r);
}

// Green of a row's sites first .. end - 1: the sample at green sites; at
// colour sites the colour plus both directions' estimates, fused with
// weights inverse to their error variances.
ORVEX_INLINE void GreenRow(const float* __restrict mo, const float* __restrict dh,
                           const float* __restrict sh, const float* __restrict dv,
                           const float* __restrict sv, const float* __restrict sumH,
                           const float* __restrict squaresH, const float* __restrict noiseH,
                           const float* __restrict sumV, const float* __restrict squaresV,
                           const float* __restrict noiseV, float* __restrict g, size_t first,
                           size_t end, size_t cp) {
    for (size_t x = first; x < end; ++x) {
        float estimateH, errorH, estimateV, errorV;
        Lmmse(sumH[x], squaresH[x], noiseH[x], sh[x], dh[x], estimateH, errorH);
        Lmmse(sumV[x], squaresV[x], noiseV[x], sv[x], dv[x], estimateV, errorV);
        const float weightH = errorV / (errorH + errorV);
        const float fused = mo[x] + weightH * estimateH + (1 - weightH) * estimateV;
        g[x] = ((x ^ cp) & 1) != 0 ? mo[x] : fused;
    }
}

// The row's own colour (its sample) and the other colour at the row's
// colour sites, from the four diagonal neighbours' differences, sites
// first .. end - 1 (values at green sites are not read).
ORVEX_INLINE void OtherColourRow(const float* __restrict mo, const float* __restrict mu,
                                 const float* __restrict md, const float* __restrict gu,
                                 const float* __restrict g, const float* __restrict gd,
                                 float* __restrict own, float* __restrict other, size_t first,
                                 size_t end) {
    for (size_t x = first; x < end; ++x) {
        float d = 0;
        d += gu[x - 1] - mu[x - 1];
        d += gu[x + 1] - mu[x + 1];
        d += gd[x - 1] - md[x - 1];
        d += gd[x + 1] - md[x + 1];
        own[x] = mo[x];
        other[x] = g[x] - d / 4;
    }
}

// Output samples of n pixels (pointers at the first): at green sites (k of
// the other parity than colourPhase) the colours from the four neighbours'
// differences; limited and rounded.
ORVEX_INLINE void OutputRow(const float* __restrict gu, const float* __restrict gl,
                            const float* __restrict gd, const float* __restrict ru,
                            const float* __restrict rl, const float* __restrict rd,
                            const float* __restrict bu, const float* __restrict bl,
                            const float* __restrict bd, size_t n, size_t colourPhase, float limit,
                            uint16_t* __restrict rr, uint16_t* __restrict gg,
                            uint16_t* __restrict bb) {
    // gl, rl, bl point one site to the left, so every index is k, k + 1, k + 2.
    const float *g = gl + 1, *r = rl + 1, *b = bl + 1;
    for (size_t k = 0; k < n; ++k) {
        float dr = 0, db = 0;
        dr += gu[k] - ru[k];
        db += gu[k] - bu[k];
        dr += gd[k] - rd[k];
        db += gd[k] - bd[k];
        dr += gl[k] - rl[k];
        db += gl[k] - bl[k];
        dr += g[k + 1] - r[k + 1];
        db += g[k + 1] - b[k + 1];
        const bool green = ((k ^ colourPhase) & 1) != 0;
        rr[k] = DlmmseSample(green ? g[k] - dr / 4 : r[k], limit);
        gg[k] = DlmmseSample(g[k], limit);
        bb[k] = DlmmseSample(green ? g[k] - db / 4 : b[k], limit);
    }
}

template <class S>
ORVEX_INLINE void DlmmseStrip(const Conversion& job, const DlmmseWindow& win, size_t ys,
                              size_t rows, const PackPlan& pack, uint16_t* out) {
    const SourceView& f = job.frame;
    const ptrdiff_t m = kDlmmseMargin;
    const size_t ww = win.stride, wh = rows + 2 * size_t(m);
    const ptrdiff_t left = ptrdiff_t(job.x) - m, top = ptrdiff_t(ys) - m;
    // Red sits at column p & 1 of row p >> 1; a row's colour sites at the
    // red column on red rows, at the other on blue rows.
    const size_t redColumn = f.pattern & 1, redRow = f.pattern >> 1;
    auto isRedRow = [&](size_t y) { return size_t((top + ptrdiff_t(y)) & 1) == redRow; };
    // Window column parity of the row's colour sites.
    auto colourParity = [&](size_t y) {
        const size_t column = isRedRow(y) ? redColumn : 1 - redColumn;
        return size_t((ptrdiff_t(column) - left) & 1);
    };

    for (size_t y = 0; y < wh; ++y) {
        LoadMirroredRow<S>(f, top + ptrdiff_t(y), left, ww, win.Row(win.mosaic, y));
    }
    // Green minus the column's colour at every site, low-passed, and the
    // squares the statistics sum.
    for (size_t y = 2; y + 2 < wh; ++y) {
        const float *a = win.Row(win.mosaic, y - 2), *b = win.Row(win.mosaic, y - 1),
                    *c = win.Row(win.mosaic, y), *d = win.Row(win.mosaic, y + 1),
                    *e = win.Row(win.mosaic, y + 2);
        float* dv = win.Row(win.diffV, y);
        const size_t cp = colourParity(y);
        for (size_t x = 0; x < ww; ++x) {
            const float est = (b[x] + d[x]) * 0.5f + (2 * c[x] - a[x] - e[x]) * 0.25f;
            const float sign = ((x ^ cp) & 1) != 0 ? 1.0f : -1.0f;  // green sites: +
            dv[x] = (c[x] - est) * sign;
        }
    }
    for (size_t y = 6; y + 6 < wh; ++y) {
        auto d = [&](size_t k) { return win.Row(win.diffV, y + k - 4) + 4; };
        Smooth9(win.Row(win.smoothV, y), win.Row(win.squareV, y), win.Row(win.noiseV, y), d(0),
                d(1), d(2), d(3), d(4), d(5), d(6), d(7), d(8), 10, ww - 10);
    }
    // Green: the sample at green sites; at colour sites the colour plus the
    // fused estimates of both directions.
    for (size_t y = 10; y + 10 < wh; ++y) {
        const float* mo = win.Row(win.mosaic, y);
        float *dh = win.diffH, *sh = win.smoothH, *qh = win.squareH, *nh = win.noiseH;
        const size_t cp = colourParity(y);
        for (size_t x = 2; x + 2 < ww; ++x) {
            const float est =
                (mo[x - 1] + mo[x + 1]) * 0.5f + (2 * mo[x] - mo[x - 2] - mo[x + 2]) * 0.25f;
            const float sign = ((x ^ cp) & 1) != 0 ? 1.0f : -1.0f;
            dh[x] = (mo[x] - est) * sign;
        }
        Smooth9(sh, qh, nh, dh, dh + 1, dh + 2, dh + 3, dh + 4, dh + 5, dh + 6, dh + 7, dh + 8, 6,
                ww - 6);
        // Nine-sample sums, each accumulated in the equations' order.
        float *sumH = win.sums[0], *squaresH = win.sums[1], *noiseH = win.sums[2];
        float *sumV = win.sums[3], *squaresV = win.sums[4], *noiseV = win.sums[5];
        auto rowsOf = [&](float* plane, size_t k) { return win.Row(plane, y + k - 4) + 4; };
        Sums9(sumH, sh, sh + 1, sh + 2, sh + 3, sh + 4, sh + 5, sh + 6, sh + 7, sh + 8, 10,
              ww - 10);
        Sums9(squaresH, qh, qh + 1, qh + 2, qh + 3, qh + 4, qh + 5, qh + 6, qh + 7, qh + 8, 10,
              ww - 10);
        Sums9(noiseH, nh, nh + 1, nh + 2, nh + 3, nh + 4, nh + 5, nh + 6, nh + 7, nh + 8, 10,
              ww - 10);
        float* const vPlanes[3] = {win.smoothV, win.squareV, win.noiseV};
        float* const vSums[3] = {sumV, squaresV, noiseV};
        for (size_t i = 0; i < 3; ++i) {
            float* p = vPlanes[i];
            Sums9(vSums[i], rowsOf(p, 0), rowsOf(p, 1), rowsOf(p, 2), rowsOf(p, 3), rowsOf(p, 4),
                  rowsOf(p, 5), rowsOf(p, 6), rowsOf(p, 7), rowsOf(p, 8), 10, ww - 10);
        }
        GreenRow(mo, dh, sh, win.Row(win.diffV, y), win.Row(win.smoothV, y), sumH, squaresH, noiseH,
                 sumV, squaresV, noiseV, win.Row(win.green, y), 10, ww - 10, cp);
    }
    // The row's own colour is its sample; the other colour comes from the
    // four diagonal neighbours' differences (only colour sites are read).
    for (size_t y = 11; y + 11 < wh; ++y) {
        const float* mo = win.Row(win.mosaic, y);
        const float *gu = win.Row(win.green, y - 1), *g = win.Row(win.green, y),
                    *gd = win.Row(win.green, y + 1);
        const float *mu = win.Row(win.mosaic, y - 1), *md = win.Row(win.mosaic, y + 1);
        float* own = win.Row(isRedRow(y) ? win.red : win.blue, y);
        float* other = win.Row(isRedRow(y) ? win.blue : win.red, y);
        OtherColourRow(mo, mu, md, gu, g, gd, own, other, 11, ww - 11);
    }
    // Both colours at green sites from the four neighbours' differences;
    // the strip's pixels out.
    const float limit = float(job.maxValue);
    const size_t w = job.dst.width;
    uint16_t *rr = out, *gg = out + w, *bb = out + 2 * w;
    for (size_t y = 0; y < rows; ++y) {
        const size_t wy = y + size_t(m);
        const float *gu = win.Row(win.green, wy - 1), *g = win.Row(win.green, wy),
                    *gd = win.Row(win.green, wy + 1);
        const float *ru = win.Row(win.red, wy - 1), *r = win.Row(win.red, wy),
                    *rd = win.Row(win.red, wy + 1);
        const float *bu = win.Row(win.blue, wy - 1), *b = win.Row(win.blue, wy),
                    *bd = win.Row(win.blue, wy + 1);
        const size_t cp = colourParity(wy);
        OutputRow(gu + m, g + m - 1, gd + m, ru + m, r + m - 1, rd + m, bu + m, b + m - 1, bd + m,
                  w, (cp + size_t(m)) & 1, limit, rr, gg, bb);
        pack.Put(pack.Row(ys - job.y + y), 0, w, rr, gg, bb);
    }
}

template <class S>
ORVEX_INLINE void DlmmseRows(const Conversion& job, DlmmseMemory& memory, SimdLevel level) {
    const PackPlan pack(job.dst, job.pack, level);
    if (!pack.Valid() || job.frame.width < 2 || job.frame.height < 2 || job.frame.pattern > kBggr)
        return;
    const size_t stride = size_t(job.dst.width) + 2 * kDlmmseMargin;
    const size_t strip = job.dst.height < kDlmmseStripRows ? job.dst.height : kDlmmseStripRows;
    const size_t planeFloats = stride * (strip + 2 * kDlmmseMargin);
    float* p = memory.planes.data();
    DlmmseWindow win{};
    float** planes[] = {&win.mosaic, &win.diffV, &win.smoothV, &win.squareV,
                        &win.noiseV, &win.green, &win.red,     &win.blue};
    for (float** plane : planes) *plane = p, p += planeFloats;
    float** rowsH[] = {&win.diffH,   &win.smoothH, &win.squareH, &win.noiseH,  &win.sums[0],
                       &win.sums[1], &win.sums[2], &win.sums[3], &win.sums[4], &win.sums[5]};
    for (float** row : rowsH) *row = p, p += stride;
    win.stride = stride;
    uint16_t* out = reinterpret_cast<uint16_t*>(p);
    for (size_t y = 0; y < job.dst.height; y += strip) {
        const size_t rows = job.dst.height - y < strip ? job.dst.height - y : strip;
        DlmmseStrip<S>(job, win, job.y + y, rows, pack, out);
    }
}

}  // namespace
}  // namespace orvex

// The passes of one build (portable or an instruction set's target).
#define ORVEX_DLMMSE_SET(Name, TARGET)                                               \
    namespace {                                                                      \
    TARGET void Rows(const Conversion& job, DlmmseMemory& memory, SimdLevel level) { \
        if (job.frame.format == kFormatMosaic16)                                     \
            DlmmseRows<Sample16>(job, memory, level);                                \
        else                                                                         \
            DlmmseRows<Sample8>(job, memory, level);                                 \
    }                                                                                \
    }                                                                                \
    extern const DlmmseSet Name = {Rows};
