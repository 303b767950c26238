// The directions of the colour stage's residuals: green's variation along
// the four directions about each site, and each site's weight of the pair
// that interpolates its residuals, shared by red and blue. At the sites
// diagonal to a colour's (the other colour's sites) the residuals' means
// along the two diagonals are weighted, then at green's sites the means
// across and along: each pair by the inverse square of green's variation
// along it, so the residuals, like the colours, follow the edges green
// shows rather than spreading across them. Included by ri_rows.h.
#pragma once

#include <cmath>
#include <cstddef>

#include "methods/ri/ri_colour.h"
#include "methods/ri/ri_green.h"

namespace orvex {
namespace {

// Green's variation row sums along the diagonals (up-left to down-right,
// up-right to down-left), across the row and down the column, and each
// site's weight of its pair.
struct RiResidualRings {
    RiRing diagonal, antidiagonal, across, along, weight;
};

// Green's gradient and curvature across c from the site a before it (up or
// left) to the site b after it.
ORVEX_INLINE float RiVariation(float a, float c, float b) {
    return std::fabs(a - b) + std::fabs((c + c - a) - b);
}

// Row y of [26, h - 26) of the variations' sums along the row over the sites
// x - 1 .. x + 1, at columns [26, w - 26), from green's plane g (rows y - 1
// .. y + 1, columns [24, w - 24)); `rows` holds four rows.
ORVEX_INLINE void RiVariationRow(const RiWindow& win, const float* g, const RiResidualRings& r,
                                 float* rows, size_t y) {
    const size_t w = win.w;
    const float *up = g + (y - 1) * w, *here = g + y * w, *down = g + (y + 1) * w;
    float *d = rows, *a = rows + w, *h = rows + 2 * w, *v = rows + 3 * w;
    RiSites(25, w - 25, [&](size_t x) {
        d[x] = RiVariation(up[x - 1], here[x], down[x + 1]);
        a[x] = RiVariation(up[x + 1], here[x], down[x - 1]);
        h[x] = RiVariation(here[x - 1], here[x], here[x + 1]);
        v[x] = RiVariation(up[x], here[x], down[x]);
    });
    const float* q[4] = {d, a, h, v};
    const RiRing* out[4] = {&r.diagonal, &r.antidiagonal, &r.across, &r.along};
    for (size_t j = 0; j < 4; ++j) {
        const float* __restrict s = q[j];
        float* __restrict o = (*out[j])[y];
        RiSites(26, w - 26, [&](size_t x) { o[x] = (s[x - 1] + s[x]) + s[x + 1]; });
    }
}

// The first direction's weight of two, each weighted by the inverse square
// of its variation plus the floor.
ORVEX_INLINE float RiDirectionWeight(float first, float second, float floor) {
    const float u = first + floor, v = second + floor;
    return (v * v) / (u * u + v * v);
}

// Row y of [27, h - 27) of the weights at columns [27, w - 27), from the
// variations' sums over rows y - 1 .. y + 1: at green's sites that of the
// mean across the row, at the colours' that of the diagonal.
ORVEX_INLINE void RiResidualWeights(const RiWindow& win, const RiResidualRings& r, size_t y) {
    const size_t w = win.w, green = (win.greenParity + y) & 1;
    const float floor = win.limit * 1e-3f;
    const float *d0 = r.diagonal[y - 1], *d1 = r.diagonal[y], *d2 = r.diagonal[y + 1];
    const float *a0 = r.antidiagonal[y - 1], *a1 = r.antidiagonal[y], *a2 = r.antidiagonal[y + 1];
    const float *h0 = r.across[y - 1], *h1 = r.across[y], *h2 = r.across[y + 1];
    const float *v0 = r.along[y - 1], *v1 = r.along[y], *v2 = r.along[y + 1];
    float* __restrict out = r.weight[y];
    RiSites(27, w - 27, [&](size_t x) {
        const bool isGreen = (x & 1) == green;
        const float first = isGreen ? (h0[x] + h1[x]) + h2[x] : (d0[x] + d1[x]) + d2[x];
        const float second = isGreen ? (v0[x] + v1[x]) + v2[x] : (a0[x] + a1[x]) + a2[x];
        out[x] = RiDirectionWeight(first, second, floor);
    });
}

// Row y of [27, h - 27), a row that is not the colour's: the residuals at
// the sites diagonal to the colour's (columns [27, w - 27) of the other
// parity), the two diagonals' means by the row's weights, into the
// residuals' ring, whose entries there were zero.
ORVEX_INLINE void RiColourDiagonals(const RiWindow& win, const RiColourRings& c, const float* wt,
                                    size_t y) {
    const size_t w = win.w;
    const float *up = c.res[y - 1], *down = c.res[y + 1];
    float* __restrict rs = c.res[y];
    for (size_t x = 27 + c.cx; x + 27 < w; x += 2) {
        const float first = (up[x - 1] + down[x + 1]) * 0.5f;
        const float second = (up[x + 1] + down[x - 1]) * 0.5f;
        rs[x] = second + wt[x] * (first - second);
    }
}

}  // namespace
}  // namespace orvex
