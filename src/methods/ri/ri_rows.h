// The passes of the residual-interpolation demosaic, included by the file
// of each build that compiles them (portable, AVX2 and AVX-512 builds of one
// body).
//
// A band is converted in strips of kRiStripRows rows and column tiles of at
// most kRiTileColumns; each strip's window reaches kRiMargin samples beyond
// it on every side (by reflection about the frame's edge sample where the
// frame ends) and every stage runs over whole rows of the window's planes.
// A pixel depends on the samples within kRiReach of it and nothing else, so
// strips, tiles, bands and regions give the same bytes; every value is
// computed with the same operations in the same order whatever the vector
// width.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "core/mirror.h"
#include "methods/ri/ri_demosaic.h"
#include "methods/ri/ri_lines.h"
#include "pack/pack_rows.h"

namespace orvex {
namespace {

// Gaussian of sigma 2 over nine samples, exp(-k^2 / 8) normalised to sum 1.
constexpr float kRiLowPass[9] = {0.02763055f, 0.06628224f, 0.12383153f, 0.18017390f, 0.20416368f,
                                 0.18017390f, 0.12383153f, 0.06628224f, 0.02763055f};

struct RiPlanes {
    float *m, *dh, *dv, *g, *red, *blue;
    RiLinePlanes line;  // also the colour stage's scratch
    uint16_t* out;
};

// One direction's LMMSE estimate of the difference from nine sites along
// it (step s) of its low-pass sm and the difference df itself: signal
// variance S of the low-pass, noise variance N of the residual; kept as the
// numerators (N sm + S df) and S N over the common denominator S + N.
struct RiEstimate {
    float weighted, error, total;
};

ORVEX_INLINE float RiSum9(float a0, float a1, float a2, float a3, float a4, float a5, float a6,
                          float a7, float a8) {
    return ((a0 + a1) + (a2 + a3)) + ((a4 + a5) + (a6 + a7)) + a8;
}

ORVEX_INLINE RiEstimate RiLmmse(const float* df, const float* sm, ptrdiff_t s, float floor) {
    const float v0 = sm[-4 * s], v1 = sm[-3 * s], v2 = sm[-2 * s], v3 = sm[-s], v4 = sm[0],
                v5 = sm[s], v6 = sm[2 * s], v7 = sm[3 * s], v8 = sm[4 * s];
    const float e0 = df[-4 * s] - v0, e1 = df[-3 * s] - v1, e2 = df[-2 * s] - v2, e3 = df[-s] - v3,
                e4 = df[0] - v4, e5 = df[s] - v5, e6 = df[2 * s] - v6, e7 = df[3 * s] - v7,
                e8 = df[4 * s] - v8;
    constexpr float kNinth = 1.0f / 9;
    const float mean = RiSum9(v0, v1, v2, v3, v4, v5, v6, v7, v8) * kNinth;
    const float spread =
        RiSum9(v0 * v0, v1 * v1, v2 * v2, v3 * v3, v4 * v4, v5 * v5, v6 * v6, v7 * v7, v8 * v8) *
            kNinth -
        mean * mean;
    const float signal = (spread > 0 ? spread : 0) + floor;
    const float noise =
        RiSum9(e0 * e0, e1 * e1, e2 * e2, e3 * e3, e4 * e4, e5 * e5, e6 * e6, e7 * e7, e8 * e8) *
            kNinth +
        floor;
    return {noise * v4 + signal * df[0], signal * noise, signal + noise};
}

// Green at the window's sites 20 or more from its edges: the sample at
// green sites; at colour sites the sample plus both directions' differences
// fused by LMMSE from their signal and noise variances over nine sites.
ORVEX_INLINE void RiGreen(const RiWindow& win, const RiPlanes& p) {
    const size_t w = win.w, h = win.h;
    float *sh = p.line.other, *sv = p.line.aSame;
    for (size_t y = 16; y + 16 < h; ++y) {
        const float *dh = p.dh + y * w, *dv = p.dv + y * w;
        float *a = sh + y * w, *b = sv + y * w;
        const ptrdiff_t s = ptrdiff_t(w);
        ORVEX_RI_IVDEP
        for (size_t x = 16; x + 16 < w; ++x) {
            const float* u = dh + x;
            const float* v = dv + x;
            a[x] = (kRiLowPass[0] * (u[-4] + u[4]) + kRiLowPass[1] * (u[-3] + u[3])) +
                   (kRiLowPass[2] * (u[-2] + u[2]) + kRiLowPass[3] * (u[-1] + u[1])) +
                   kRiLowPass[4] * u[0];
            b[x] =
                (kRiLowPass[0] * (v[-4 * s] + v[4 * s]) + kRiLowPass[1] * (v[-3 * s] + v[3 * s])) +
                (kRiLowPass[2] * (v[-2 * s] + v[2 * s]) + kRiLowPass[3] * (v[-s] + v[s])) +
                kRiLowPass[4] * v[0];
        }
    }
    const float floor = win.varFloor;
    const ptrdiff_t s = ptrdiff_t(w);
    for (size_t y = 20; y + 20 < h; ++y) {
        const float* m = p.m + y * w;
        float* g = p.g + y * w;
        const size_t green = (win.greenParity + y) & 1;
        const float *dh = p.dh + y * w, *dv = p.dv + y * w;
        const float *smh = sh + y * w, *smv = sv + y * w;
        ORVEX_RI_IVDEP
        for (size_t x = 20; x + 20 < w; ++x) {
            const RiEstimate eh = RiLmmse(dh + x, smh + x, 1, floor);
            const RiEstimate ev = RiLmmse(dv + x, smv + x, s, floor);
            const float fused = m[x] + (ev.error * eh.weighted + eh.error * ev.weighted) /
                                           (eh.error * ev.total + ev.error * eh.total);
            g[x] = (x & 1) == green ? m[x] : fused;
        }
    }
}

// Five-site sums of a row (k = -2 .. 2 in order) then of five rows.
ORVEX_INLINE void RiRowSums(const float* in, float* out, size_t x0, size_t x1) {
    ORVEX_RI_IVDEP
    for (size_t x = x0; x < x1; ++x) {
        float t = 0;
        t += in[x - 2], t += in[x - 1], t += in[x], t += in[x + 1], t += in[x + 2];
        out[x] = t;
    }
}

// Red (colour parity cx, cy: the column and row parities of its sites) at
// the window's sites 25 or more from its edges: the guided filter of the
// full green over 5 x 5 windows, statistics at the colour's sites, plus
// the bilinearly interpolated residuals of its samples.
ORVEX_INLINE void RiColour(const RiWindow& win, const RiPlanes& p, size_t cx, size_t cy,
                           float* out) {
    const size_t w = win.w, h = win.h;
    // Scratch: the four site planes, then their row sums, then a and b.
    float *t = p.line.other, *g = p.line.aSame, *tg = p.line.bSame, *gg = p.line.aOther;
    float* rows = p.line.bOther;  // four planes of row sums, one after another
    float *a = p.line.tentative, *b = p.line.residual;
    const size_t plane = w * h;
    for (size_t y = 18; y + 18 < h; ++y) {
        const float *m = p.m + y * w, *gr = p.g + y * w;
        const bool row = (y & 1) == cy;
        float *o0 = t + y * w, *o1 = g + y * w, *o2 = tg + y * w, *o3 = gg + y * w;
        ORVEX_RI_IVDEP
        for (size_t x = 18; x + 18 < w; ++x) {
            const bool here = row && (x & 1) == cx;
            o0[x] = here ? m[x] : 0.0f;
            o1[x] = here ? gr[x] : 0.0f;
            o2[x] = here ? m[x] * gr[x] : 0.0f;
            o3[x] = here ? gr[x] * gr[x] : 0.0f;
        }
        for (size_t k = 0; k < 4; ++k)
            RiRowSums((k == 0   ? t
                       : k == 1 ? g
                       : k == 2 ? tg
                                : gg) +
                          y * w,
                      rows + k * plane + y * w, 20, w - 20);
    }
    const float floor = win.floor;
    for (size_t y = 22; y + 22 < h; ++y) {
        const float *t0 = rows + (y - 2) * w, *g0 = t0 + plane, *p0 = g0 + plane, *q0 = p0 + plane;
        // Sites of the colour in a window: 3 or 2 rows times 3 or 2 columns.
        const size_t rowsHere = (y & 1) == cy ? 3 : 2;
        const float inverse0 = 1.0f / float(rowsHere * ((cx & 1) == 0 ? 3 : 2));
        const float inverse1 = 1.0f / float(rowsHere * ((cx & 1) == 1 ? 3 : 2));
        float *ao = a + y * w, *bo = b + y * w;
        auto column = [w](const float* r, size_t x) {
            float v = 0;
            v += r[x], v += r[x + w], v += r[x + 2 * w], v += r[x + 3 * w], v += r[x + 4 * w];
            return v;
        };
        ORVEX_RI_IVDEP
        for (size_t x = 22; x + 22 < w; ++x) {
            const float st = column(t0, x), sg = column(g0, x), stg = column(p0, x),
                        sgg = column(q0, x);
            const float n = (x & 1) != 0 ? inverse1 : inverse0;
            const float slope = RiSlope(st, sg, stg, sgg, n, floor);
            ao[x] = slope;
            bo[x] = (st - slope * sg) * n;
        }
    }
    // Means of a and b over 5 x 5 windows: row sums into two of the site
    // planes, then the tentative estimate and the residual at the colour's
    // sites (into the other two).
    float *ra = t, *rb = g, *est = tg, *res = gg;
    for (size_t y = 22; y + 22 < h; ++y) {
        RiRowSums(a + y * w, ra + y * w, 24, w - 24);
        RiRowSums(b + y * w, rb + y * w, 24, w - 24);
    }
    const float limit = win.limit;
    constexpr float kTwentyFifth = 1.0f / 25;
    for (size_t y = 24; y + 24 < h; ++y) {
        const float *m = p.m + y * w, *gr = p.g + y * w;
        const bool row = (y & 1) == cy;
        float *e = est + y * w, *rs = res + y * w;
        const float *a0 = ra + (y - 2) * w, *a1 = a0 + w, *a2 = a1 + w, *a3 = a2 + w, *a4 = a3 + w;
        const float *b0 = rb + (y - 2) * w, *b1 = b0 + w, *b2 = b1 + w, *b3 = b2 + w, *b4 = b3 + w;
        ORVEX_RI_IVDEP
        for (size_t x = 24; x + 24 < w; ++x) {
            float sa = 0, sb = 0;
            sa += a0[x], sa += a1[x], sa += a2[x], sa += a3[x], sa += a4[x];
            sb += b0[x], sb += b1[x], sb += b2[x], sb += b3[x], sb += b4[x];
            const float v = RiClip(sa * kTwentyFifth * gr[x] + sb * kTwentyFifth, limit);
            e[x] = v;
            rs[x] = row && (x & 1) == cx ? m[x] - v : 0.0f;
        }
    }
    for (size_t y = kRiMargin; y + kRiMargin < h; ++y) {
        const float *m = p.m + y * w, *e = est + y * w, *rs = res + y * w;
        const float *up = rs - w, *down = rs + w;
        const bool row = (y & 1) == cy;
        float* o = out + y * w;
        ORVEX_RI_IVDEP
        for (size_t x = kRiMargin; x + kRiMargin < w; ++x) {
            const bool column = (x & 1) == cx;
            const float across = (rs[x - 1] + rs[x + 1]) * 0.5f;
            const float along = (up[x] + down[x]) * 0.5f;
            const float diagonal = ((up[x - 1] + up[x + 1]) + (down[x - 1] + down[x + 1])) * 0.25f;
            const float r = row ? across : column ? along : diagonal;
            o[x] = row && column ? m[x] : e[x] + r;
        }
    }
}

// floor(v + 0.5) limited to 0 .. limit.
ORVEX_INLINE uint16_t RiSample(float v, float limit) {
    const float q = std::floor(v + 0.5f);
    return uint16_t(q < 0 ? 0 : q > limit ? limit : q);
}

template <class S>
ORVEX_INLINE void RiStrip(const Conversion& job, const RiPlanes& p, RiWindow win, ptrdiff_t left,
                          ptrdiff_t top, size_t first, size_t width, size_t rows,
                          const PackPlan& pack) {
    const SourceView& f = job.frame;
    for (size_t y = 0; y < win.h; ++y)
        LoadMirroredRow<S>(f, top + ptrdiff_t(y), left, win.w, p.m + y * win.w);
    const size_t redColumn = f.pattern & 1, redRow = f.pattern >> 1;
    win.greenParity = size_t(1 + top + left + ptrdiff_t(redRow + redColumn)) & 1;
    RiLineDifferences(win, p.m, p.line, p.dh, true);
    RiLineDifferences(win, p.m, p.line, p.dv, false);
    RiGreen(win, p);
    // Red sites: column parity (left + x) & 1 == redColumn, row likewise.
    const size_t rx = size_t(ptrdiff_t(redColumn) - left) & 1,
                 ry = size_t(ptrdiff_t(redRow) - top) & 1;
    RiColour(win, p, rx, ry, p.red);
    RiColour(win, p, 1 - rx, 1 - ry, p.blue);
    const float limit = win.limit;
    uint16_t *rr = p.out, *gg = rr + width, *bb = gg + width;
    for (size_t y = 0; y < rows; ++y) {
        const size_t at = (y + kRiMargin) * win.w + kRiMargin;
        const float *r = p.red + at, *g = p.g + at, *b = p.blue + at;
        ORVEX_RI_IVDEP
        for (size_t x = 0; x < width; ++x) {
            rr[x] = RiSample(r[x], limit);
            gg[x] = RiSample(g[x], limit);
            bb[x] = RiSample(b[x], limit);
        }
        pack.Put(pack.Row(size_t(top) + kRiMargin + y - job.y), first, width, rr, gg, bb);
    }
}

// Planes of one strip: 16 of w x h floats, and three rows of samples.
inline size_t RiPlaneFloats(size_t w, size_t h) {
    return 16 * w * h + (3 * (w - 2 * kRiMargin) + 1) / 2 + 1;
}

template <class S>
ORVEX_INLINE void RiRows(const Conversion& job, RiMemory& memory, SimdLevel level) {
    const PackPlan pack(job.dst, job.pack, level);
    if (!pack.Valid() || job.frame.width < 2 || job.frame.height < 2 || job.frame.pattern > kBggr)
        return;
    const size_t width = job.dst.width, height = job.dst.height;
    const size_t tiles = (width + kRiTileColumns - 1) / kRiTileColumns;
    const size_t strip = std::min(kRiStripRows, height);
    for (size_t k = 0; k < tiles; ++k) {
        const size_t first = width * k / tiles, end = width * (k + 1) / tiles;
        for (size_t y = 0; y < height; y += strip) {
            const size_t rows = std::min(strip, height - y);
            RiWindow win{};
            win.w = end - first + 2 * kRiMargin;
            win.h = rows + 2 * kRiMargin;
            win.limit = float(job.maxValue);
            win.floor = win.limit * win.limit * 1e-6f;
            win.varFloor = win.limit * win.limit * 1.5e-10f;
            float* q = memory.planes.data();
            const size_t n = win.w * win.h;
            RiPlanes p{};
            float** all[] = {&p.m,
                             &p.dh,
                             &p.dv,
                             &p.g,
                             &p.red,
                             &p.blue,
                             &p.line.other,
                             &p.line.aSame,
                             &p.line.bSame,
                             &p.line.aOther,
                             &p.line.tentative,
                             &p.line.residual,
                             &p.line.bOther};
            for (float** plane : all) *plane = q, q += n;
            q += 3 * n;  // the colour stage's row sums run on from bOther
            p.out = reinterpret_cast<uint16_t*>(q);
            RiStrip<S>(job, p, win, ptrdiff_t(job.x + first) - ptrdiff_t(kRiMargin),
                       ptrdiff_t(job.y + y) - ptrdiff_t(kRiMargin), first, end - first, rows, pack);
        }
    }
}

}  // namespace
}  // namespace orvex

// The passes of one build (portable or an instruction set's target).
#define ORVEX_RI_SET(Name, TARGET)                                               \
    namespace {                                                                  \
    TARGET void Rows(const Conversion& job, RiMemory& memory, SimdLevel level) { \
        if (job.frame.format == kFormatMosaic16)                                 \
            RiRows<Sample16>(job, memory, level);                                \
        else                                                                     \
            RiRows<Sample8>(job, memory, level);                                 \
    }                                                                            \
    }                                                                            \
    extern const RiSet Name = {Rows};
