// The red and blue stage of the plain residual-interpolation demosaic: a
// guided filter of the full green with the minimized-Laplacian slope, plus
// the interpolated residuals.
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
// over the windows covering it; plus the bilinearly interpolated residuals
// of its samples.
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
    Plane out = s.New();
    for (ptrdiff_t y = 27; y + 27 < wh; ++y)
        for (ptrdiff_t x = 27; x + 27 < ww; ++x) {
            const bool onRow = rowHas(x, y), onColumn = columnHas(x, y);
            float r;
            if (onRow && onColumn)
                r = 0;
            else if (onRow)
                r = (residual(x - 1, y) + residual(x + 1, y)) * 0.5f;
            else if (onColumn)
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
