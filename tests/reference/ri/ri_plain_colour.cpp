// The red and blue stage of the plain residual-interpolation demosaic: a
// guided filter of the full green with the minimized-Laplacian slope, plus
// the interpolated residuals.
#include <cmath>

#include "ri/ri_plain_stages.h"

namespace orvex {
namespace ri_plain {

// Red (colour 0) or blue (2) everywhere: the guided filter of the full green
// over windows of 5 x 5 (statistics at the colour's sites), its slope the
// minimized-Laplacian one drawn towards 1, (mean(Lm Lg) + floor) /
// (mean(Lg^2) + floor), with Lm and Lg the Laplacians of step 2 of the colour
// and of green at the colour's sites; the offset mean(m) - slope mean(g);
// plus the bilinearly interpolated residuals of its samples.
Plane Colour(const Strip& s, Plane& m, Plane& g, int colour) {
    const ptrdiff_t ww = ptrdiff_t(s.ww), wh = ptrdiff_t(s.wh);
    auto has = [&](ptrdiff_t x, ptrdiff_t y) { return s.Colour(x, y) == colour; };
    // Window sums: five columns of each of five rows, then the five rows.
    auto box = [&](auto&& value, ptrdiff_t x, ptrdiff_t y) {
        float total = 0;
        for (ptrdiff_t j = -2; j <= 2; ++j) {
            float row = 0;
            for (ptrdiff_t k = -2; k <= 2; ++k) row += value(x + k, y + j);
            total += row;
        }
        return total;
    };
    auto site = [&](auto&& f) {
        return [&, f](ptrdiff_t x, ptrdiff_t y) { return has(x, y) ? f(x, y) : 0.0f; };
    };
    // 4 p(x, y) less p two sites left, right, up and down.
    auto laplacian = [](Plane& p, ptrdiff_t x, ptrdiff_t y) {
        return 4 * p(x, y) - p(x - 2, y) - p(x + 2, y) - p(x, y - 2) - p(x, y + 2);
    };
    Plane lm = s.New(), lg = s.New();
    for (ptrdiff_t y = 22; y + 22 < wh; ++y)
        for (ptrdiff_t x = 22; x + 22 < ww; ++x)
            if (has(x, y)) lm(x, y) = laplacian(m, x, y), lg(x, y) = laplacian(g, x, y);
    Plane a = s.New(), b = s.New();
    for (ptrdiff_t y = 24; y + 24 < wh; ++y)
        for (ptrdiff_t x = 24; x + 24 < ww; ++x) {
            const bool rowHas = has(x, y) || has(x + 1, y);
            const bool columnHas = has(x, y) || has(x, y + 1);
            const float inverse = 1.0f / float((rowHas ? 3 : 2) * (columnHas ? 3 : 2));
            const float t = box(site([&](ptrdiff_t u, ptrdiff_t v) { return m(u, v); }), x, y);
            const float gs = box(site([&](ptrdiff_t u, ptrdiff_t v) { return g(u, v); }), x, y);
            const float mg =
                box(site([&](ptrdiff_t u, ptrdiff_t v) { return lm(u, v) * lg(u, v); }), x, y);
            const float gg =
                box(site([&](ptrdiff_t u, ptrdiff_t v) { return lg(u, v) * lg(u, v); }), x, y);
            const float slope = (mg * inverse + s.floor) / (gg * inverse + s.floor);
            a(x, y) = slope;
            b(x, y) = (t - slope * gs) * inverse;
        }
    Plane residual = s.New(), estimate = s.New();
    constexpr float kTwentyFifth = 1.0f / 25;
    for (ptrdiff_t y = 26; y + 26 < wh; ++y)
        for (ptrdiff_t x = 26; x + 26 < ww; ++x) {
            const float ma = box([&](ptrdiff_t u, ptrdiff_t v) { return a(u, v); }, x, y);
            const float mb = box([&](ptrdiff_t u, ptrdiff_t v) { return b(u, v); }, x, y);
            const float t = s.Clip(ma * kTwentyFifth * g(x, y) + mb * kTwentyFifth);
            estimate(x, y) = t;
            residual(x, y) = has(x, y) ? m(x, y) - t : 0.0f;
        }
    Plane out = s.New();
    for (ptrdiff_t y = 27; y + 27 < wh; ++y)
        for (ptrdiff_t x = 27; x + 27 < ww; ++x) {
            const bool rowHas = has(x, y) || has(x + 1, y);
            const bool columnHas = has(x, y) || has(x, y + 1);
            float r;
            if (rowHas && columnHas)
                r = 0;
            else if (rowHas)
                r = (residual(x - 1, y) + residual(x + 1, y)) * 0.5f;
            else if (columnHas)
                r = (residual(x, y - 1) + residual(x, y + 1)) * 0.5f;
            else
                r = ((residual(x - 1, y - 1) + residual(x + 1, y - 1)) +
                     (residual(x - 1, y + 1) + residual(x + 1, y + 1))) *
                    0.25f;
            out(x, y) = has(x, y) ? m(x, y) : estimate(x, y) + r;
        }
    return out;
}

}  // namespace ri_plain
}  // namespace orvex
