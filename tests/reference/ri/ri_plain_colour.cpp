// The red and blue stage of the plain residual-interpolation demosaic: a
// guided filter of the full green with the minimized-Laplacian slope, plus
// the residuals interpolated along green's flatter direction.
#include <cmath>

#include "ri/ri_plain_stages.h"

namespace orvex {
namespace ri_plain {

// Red (colour 0) or blue (2) everywhere: the guided filter of the full green
// over the windows of 5 x 5 centred on the colour's sites (statistics at the
// 3 x 3 sites of the colour in each), its slope the minimized-Laplacian one
// drawn towards 1, (mean(Lm Lg) + floor) / (mean(Lg^2) + floor), with Lm and
// Lg the Laplacians of step 2 of the colour and of green at the colour's
// sites; the offset mean(m) - slope mean(g); a pixel's coefficients the means
// over the windows covering it; plus the residuals of its samples: at the
// sites diagonal to the colour's the two diagonals' means, then at green's
// sites the means across and along, each pair weighted by the inverse square
// of green's variation along it (gradient and curvature, summed over 3 x 3).
Plane Colour(const Strip& s, Plane& m, Plane& g, int colour) {
    const ptrdiff_t ww = ptrdiff_t(s.ww), wh = ptrdiff_t(s.wh);
    auto has = [&](ptrdiff_t x, ptrdiff_t y) { return s.Colour(x, y) == colour; };
    // Sums over the colour's sites (or windows' centres) within two rows and
    // two columns, in order along each row, then the rows in order.
    auto columnHas = [&](ptrdiff_t x, ptrdiff_t y) { return has(x, y) || has(x, y + 1); };
    auto rowHas = [&](ptrdiff_t x, ptrdiff_t y) { return has(x, y) || has(x + 1, y); };
    auto near = [&](auto&& value, ptrdiff_t x, ptrdiff_t y) {
        auto sum = [](auto&& term, auto&& counts) {
            float total = 0;
            bool first = true;
            for (ptrdiff_t k = -2; k <= 2; ++k)
                if (counts(k)) total = first ? term(k) : total + term(k), first = false;
            return total;
        };
        return sum(
            [&](ptrdiff_t j) {
                return sum([&](ptrdiff_t k) { return value(x + k, y + j); },
                           [&](ptrdiff_t k) { return columnHas(x + k, y + j); });
            },
            [&](ptrdiff_t j) { return rowHas(x, y + j); });
    };
    auto count = [&](ptrdiff_t x, ptrdiff_t y) {
        return (rowHas(x, y) ? 3 : 2) * (columnHas(x, y) ? 3 : 2);
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
            if (!has(x, y)) continue;
            const float inverse = 1.0f / 9;
            const float t = near([&](ptrdiff_t u, ptrdiff_t v) { return m(u, v); }, x, y);
            const float gs = near([&](ptrdiff_t u, ptrdiff_t v) { return g(u, v); }, x, y);
            const float mg =
                near([&](ptrdiff_t u, ptrdiff_t v) { return lm(u, v) * lg(u, v); }, x, y);
            const float gg =
                near([&](ptrdiff_t u, ptrdiff_t v) { return lg(u, v) * lg(u, v); }, x, y);
            const float slope = (mg * inverse + s.floor) / (gg * inverse + s.floor);
            a(x, y) = slope;
            b(x, y) = (t - slope * gs) * inverse;
        }
    Plane residual = s.New(), estimate = s.New();
    for (ptrdiff_t y = 26; y + 26 < wh; ++y)
        for (ptrdiff_t x = 26; x + 26 < ww; ++x) {
            const float ma = near([&](ptrdiff_t u, ptrdiff_t v) { return a(u, v); }, x, y);
            const float mb = near([&](ptrdiff_t u, ptrdiff_t v) { return b(u, v); }, x, y);
            const float inverse = 1.0f / float(count(x, y));
            const float t = s.Clip(ma * inverse * g(x, y) + mb * inverse);
            estimate(x, y) = t;
            residual(x, y) = has(x, y) ? m(x, y) - t : 0.0f;
        }
    // Green's gradient and curvature across (x, y) along (dx, dy), from the
    // site before it (up or left) to the one after, summed over the 3 x 3
    // sites about it.
    auto variation = [&](ptrdiff_t x, ptrdiff_t y, ptrdiff_t dx, ptrdiff_t dy) {
        auto at = [&](ptrdiff_t u, ptrdiff_t v) {
            const float a = g(u - dx, v - dy), b = g(u + dx, v + dy), c = g(u, v);
            return std::fabs(a - b) + std::fabs((c + c - a) - b);
        };
        auto row = [&](ptrdiff_t v) { return (at(x - 1, v) + at(x, v)) + at(x + 1, v); };
        return (row(y - 1) + row(y)) + row(y + 1);
    };
    // The first direction's weight of two, each weighted by the inverse
    // square of its variation plus the floor.
    const float directionFloor = s.limit * 1e-3f;
    auto weight = [&](float first, float second) {
        const float u = first + directionFloor, v = second + directionFloor;
        return (v * v) / (u * u + v * v);
    };
    auto diagonalSite = [&](ptrdiff_t x, ptrdiff_t y) { return !rowHas(x, y) && !columnHas(x, y); };
    for (ptrdiff_t y = 27; y + 27 < wh; ++y)
        for (ptrdiff_t x = 27; x + 27 < ww; ++x) {
            if (!diagonalSite(x, y)) continue;
            // Up-left to down-right first, then up-right to down-left.
            const float t = weight(variation(x, y, 1, 1), variation(x, y, -1, 1));
            const float first = (residual(x - 1, y - 1) + residual(x + 1, y + 1)) * 0.5f;
            const float second = (residual(x + 1, y - 1) + residual(x - 1, y + 1)) * 0.5f;
            residual(x, y) = second + t * (first - second);
        }
    Plane out = s.New();
    for (ptrdiff_t y = 28; y + 28 < wh; ++y)
        for (ptrdiff_t x = 28; x + 28 < ww; ++x) {
            float r = residual(x, y);
            if (s.Colour(x, y) == 1) {
                const float t = weight(variation(x, y, 1, 0), variation(x, y, 0, 1));
                const float across = (residual(x - 1, y) + residual(x + 1, y)) * 0.5f;
                const float along = (residual(x, y - 1) + residual(x, y + 1)) * 0.5f;
                r = along + t * (across - along);
            }
            out(x, y) = has(x, y) ? m(x, y) : estimate(x, y) + r;
        }
    return out;
}

}  // namespace ri_plain
}  // namespace orvex
