// The green stages of the plain residual-interpolation demosaic: the
// directional differences by residual interpolation and their LMMSE fusion.
#include <cmath>

#include "ri/ri_plain_stages.h"

namespace orvex {
namespace ri_plain {

// Green minus the line's colour at every site, estimated along rows (dx = 1)
// or columns (dy = 1) by residual interpolation.
Plane LineDifferences(const Strip& s, Plane& m, ptrdiff_t dx, ptrdiff_t dy) {
    const ptrdiff_t ww = ptrdiff_t(s.ww), wh = ptrdiff_t(s.wh);
    auto inside = [&](ptrdiff_t x, ptrdiff_t y, ptrdiff_t r) {
        return x - r * dx >= 0 && x + r * dx < ww && y - r * dy >= 0 && y + r * dy < wh;
    };
    auto at = [&](Plane& p, ptrdiff_t x, ptrdiff_t y, ptrdiff_t k) -> float& {
        return p(x + k * dx, y + k * dy);
    };
    auto green = [&](ptrdiff_t x, ptrdiff_t y, ptrdiff_t k) {
        return s.Colour(x + k * dx, y + k * dy) == 1 ? 1 : 0;
    };
    // The line's other colour at every site, linearly interpolated along it.
    Plane other = s.New();
    for (ptrdiff_t y = 0; y < wh; ++y)
        for (ptrdiff_t x = 0; x < ww; ++x)
            if (inside(x, y, 1)) other(x, y) = (at(m, x, y, -1) + at(m, x, y, 1)) * 0.5f;
    // Sums over the 11-site window along the line centred at a site: the 5
    // sites an even step away (the site's own colour) and the 6 an odd step
    // away, each in a fixed order.
    auto five = [](auto&& q) { return ((q(-4) + q(-2)) + (q(0) + q(2))) + q(4); };
    auto six = [](auto&& q) { return ((q(-5) + q(-3)) + (q(-1) + q(1))) + (q(3) + q(5)); };
    // Coefficients of the window, its centre's colour as target with the
    // other colour's interpolation as guide, over the 5 sites of the
    // centre's colour.
    Plane wa = s.New(), wb = s.New();
    for (ptrdiff_t y = 0; y < wh; ++y)
        for (ptrdiff_t x = 0; x < ww; ++x) {
            if (!inside(x, y, 6)) continue;
            const float t = five([&](ptrdiff_t k) { return at(m, x, y, k); });
            const float g = five([&](ptrdiff_t k) { return at(other, x, y, k); });
            const float tg = five([&](ptrdiff_t k) { return at(m, x, y, k) * at(other, x, y, k); });
            const float gg =
                five([&](ptrdiff_t k) { return at(other, x, y, k) * at(other, x, y, k); });
            const float inverse = 1.0f / 5;
            // Slope cov / (var g + floor), offset mean t - slope mean g.
            const float mt = t * inverse, mg = g * inverse;
            const float vg = std::max(gg * inverse - mg * mg, 0.0f);
            const float cov = tg * inverse - mg * mt;
            wa(x, y) = cov / (vg + s.floor);
            wb(x, y) = mt - wa(x, y) * mg;
        }
    // Tentative estimates of both colours at every site, clipped: the
    // coefficients' means over the windows centred on that colour's sites
    // among the 11 covering it (the 5 an even step away for the site's own
    // colour, the 6 an odd step away for the other).
    Plane tentative = s.New(), residual = s.New();
    // Plane p along the line through (x, y), k steps on.
    auto along = [&](Plane& p, ptrdiff_t x, ptrdiff_t y) {
        return [&at, &p, x, y](ptrdiff_t k) { return at(p, x, y, k); };
    };
    for (ptrdiff_t y = 0; y < wh; ++y)
        for (ptrdiff_t x = 0; x < ww; ++x) {
            if (!inside(x, y, 11)) continue;
            const float ownHere =
                s.Clip((five(along(wa, x, y)) * other(x, y) + five(along(wb, x, y))) * (1.0f / 5));
            const float otherHere =
                s.Clip((six(along(wa, x, y)) * m(x, y) + six(along(wb, x, y))) * (1.0f / 6));
            residual(x, y) = m(x, y) - ownHere;
            tentative(x, y) = otherHere;
        }
    // The other colour: tentative plus its neighbours' mean residual.
    Plane diff = s.New();
    for (ptrdiff_t y = 0; y < wh; ++y)
        for (ptrdiff_t x = 0; x < ww; ++x) {
            if (!inside(x, y, 12)) continue;
            const float est =
                tentative(x, y) + (at(residual, x, y, -1) + at(residual, x, y, 1)) * 0.5f;
            diff(x, y) = green(x, y, 0) ? m(x, y) - est : est - m(x, y);
        }
    return diff;
}

// How much of the detail about (x, y) the colour differences carry beside
// the samples: the gradients |u[-1] - u[1]| of the directions' low-passed
// differences (each along its own direction) over those of the samples, each
// summed over 7 sites along the direction and 5 across, at most 1.
static float Share(const Strip& s, Plane& m, Plane& sh, Plane& sv, ptrdiff_t x, ptrdiff_t y) {
    // Seven sites k = -3 .. 3 of q, and five lines j = -2 .. 2 of such sums.
    auto seven = [](auto&& q) {
        return ((q(-3) + q(-2)) + (q(-1) + q(0))) + ((q(1) + q(2)) + q(3));
    };
    auto five = [](auto&& q) { return (((q(-2) + q(-1)) + q(0)) + q(1)) + q(2); };
    auto along = [&](Plane& p) {  // along rows, the rows across
        return five([&](ptrdiff_t j) {
            return seven(
                [&](ptrdiff_t k) { return std::fabs(p(x + k - 1, y + j) - p(x + k + 1, y + j)); });
        });
    };
    auto down = [&](Plane& p) {  // down columns, the columns across
        return five([&](ptrdiff_t j) {
            return seven(
                [&](ptrdiff_t k) { return std::fabs(p(x + j, y + k - 1) - p(x + j, y + k + 1)); });
        });
    };
    const float detail = along(sh) + down(sv), level = along(m) + down(m);
    const float share = detail / (level + s.limit * 1e-3f);
    return std::min(share, 1.0f);
}

// Green at colour sites: the sample plus both directions' LMMSE estimates of
// the difference (from their local signal and noise variances), weighted by
// the inverse square of their local gradients.
Plane Green(const Strip& s, Plane& m, Plane& dh, Plane& dv) {
    const ptrdiff_t ww = ptrdiff_t(s.ww), wh = ptrdiff_t(s.wh);
    Plane g = s.New(), sh = s.New(), sv = s.New();
    for (ptrdiff_t y = 16; y + 16 < wh; ++y)
        for (ptrdiff_t x = 16; x + 16 < ww; ++x) {
            float a[9], b[9];
            for (ptrdiff_t k = -4; k <= 4; ++k) a[k + 4] = dh(x + k, y), b[k + 4] = dv(x, y + k);
            sh(x, y) = LowPass9(a);
            sv(x, y) = LowPass9(b);
        }
    for (ptrdiff_t y = 20; y + 20 < wh; ++y)
        for (ptrdiff_t x = 20; x + 20 < ww; ++x) {
            if (s.Colour(x, y) == 1) {
                g(x, y) = m(x, y);
                continue;
            }
            // Each direction's LMMSE estimate of the difference.
            float part[2][2];
            for (int d = 0; d < 2; ++d) {
                Plane& diff = d == 0 ? dh : dv;
                Plane& smooth = d == 0 ? sh : sv;
                const ptrdiff_t ex = d == 0 ? 1 : 0, ey = 1 - ex;
                float sm[9], sq[9], rs[9];
                for (ptrdiff_t k = -4; k <= 4; ++k) {
                    const float v = smooth(x + k * ex, y + k * ey);
                    const float r = diff(x + k * ex, y + k * ey) - v;
                    sm[k + 4] = v, sq[k + 4] = v * v, rs[k + 4] = r * r;
                }
                constexpr float kNinth = 1.0f / 9;
                const float mean = Sum9(sm) * kNinth;
                const float spread = Sum9(sq) * kNinth - mean * mean;
                const float signal = (spread > 0 ? spread : 0) + s.varFloor;
                const float noise = Sum9(rs) * kNinth + s.varFloor;
                part[d][0] = noise * smooth(x, y) + signal * diff(x, y);
                part[d][1] = signal + noise;
            }
            // Weighted by the inverse square of each direction's gradient of
            // its difference, summed over 9 sites along it and 5 across:
            // nine-site sums of each line, then the five lines in order.
            float across[2][5];
            for (ptrdiff_t j = -2; j <= 2; ++j) {
                float a[9], b[9];
                for (ptrdiff_t k = -4; k <= 4; ++k) {
                    a[k + 4] = std::fabs(dh(x + k - 1, y + j) - dh(x + k + 1, y + j));
                    b[k + 4] = std::fabs(dv(x + j, y + k - 1) - dv(x + j, y + k + 1));
                }
                across[0][j + 2] = Sum9(a), across[1][j + 2] = Sum9(b);
            }
            // Weights 1 / (gradient^2 + floor), the gradients in units of the
            // range, each estimate LMMSE's weighted sum over its total; the
            // weighted mean taken over one common denominator.
            float weight[2];
            for (int d = 0; d < 2; ++d) {
                const float* r = across[d];
                const float gradient = ((((r[0] + r[1]) + r[2]) + r[3]) + r[4]) * (1.0f / s.limit);
                weight[d] = gradient * gradient + s.gradientFloor;
            }
            const float lmmse =
                weight[1] * part[0][0] * part[1][1] + weight[0] * part[1][0] * part[0][1];
            const float totals = part[0][1] * part[1][1];
            // The same weights over each direction's difference smoothed only
            // by (1, 2, 1) / 4, over the same denominator, the two drawn
            // together by the share.
            const float sharpH = ((dh(x - 1, y) + dh(x + 1, y)) + 2.0f * dh(x, y)) * 0.25f;
            const float sharpV = ((dv(x, y - 1) + dv(x, y + 1)) + 2.0f * dv(x, y)) * 0.25f;
            const float sharp = (weight[1] * sharpH + weight[0] * sharpV) * totals;
            g(x, y) = m(x, y) + (lmmse + Share(s, m, sh, sv, x, y) * (sharp - lmmse)) /
                                    ((weight[0] + weight[1]) * totals);
        }
    return g;
}

}  // namespace ri_plain
}  // namespace orvex
