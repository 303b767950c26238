// The plain form of the residual-interpolation demosaic, pixel by pixel
// from its equations, kept to check the library's passes against. The
// region is converted in strips of rows; each strip's mosaic is read with a
// margin of kMargin samples on every side (by reflection about the frame's
// edge sample where the frame ends), every estimate is computed on that
// window, and only the strip's own pixels are kept.
#include "ri/ri_plain.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/samples.h"
#include "pack/pack_rows.h"

namespace orvex {
namespace {

constexpr ptrdiff_t kMargin = 30;
constexpr size_t kStripRows = 40;

size_t MirrorIndex(ptrdiff_t i, size_t n) {
    if (n == 1) return 0;
    const ptrdiff_t period = 2 * ptrdiff_t(n) - 2;
    ptrdiff_t m = i % period;
    if (m < 0) m += period;
    return size_t(m < ptrdiff_t(n) ? m : period - m);
}

// Gaussian of sigma 2 over nine samples, exp(-k^2 / 8) normalised.
constexpr float kLowPass[9] = {0.02763055f, 0.06628224f, 0.12383153f, 0.18017390f, 0.20416368f,
                               0.18017390f, 0.12383153f, 0.06628224f, 0.02763055f};
float LowPass9(const float* a) {
    return (kLowPass[0] * (a[0] + a[8]) + kLowPass[1] * (a[1] + a[7])) +
           (kLowPass[2] * (a[2] + a[6]) + kLowPass[3] * (a[3] + a[5])) + kLowPass[4] * a[4];
}
float Sum9(const float* a) {
    return ((a[0] + a[1]) + (a[2] + a[3])) + ((a[4] + a[5]) + (a[6] + a[7])) + a[8];
}

struct Plane {
    std::vector<float> v;
    size_t w = 0;
    float& operator()(ptrdiff_t x, ptrdiff_t y) { return v[size_t(y) * w + size_t(x)]; }
};

struct Strip {
    size_t ww, wh;
    ptrdiff_t left, top;
    size_t redColumn, redRow;
    float limit, floor, varFloor, gradientFloor, fitFloor;
    int Colour(ptrdiff_t x, ptrdiff_t y) const {  // 0 red, 1 green, 2 blue
        const bool rr = size_t((top + y) & 1) == redRow;
        const bool rc = size_t((left + x) & 1) == redColumn;
        return rr == rc ? (rr ? 0 : 2) : 1;
    }
    Plane New() const { return Plane{std::vector<float>(ww * wh, 0.0f), ww}; }
    float Clip(float v) const { return std::min(std::max(v, 0.0f), limit); }
    // Guided-filter slope from sums over n sites of target t, guide g, t g and g g.
    float Slope(float t, float g, float tg, float gg, float inverse) const {
        const float mt = t * inverse, mg = g * inverse;
        const float spread = gg * inverse - mg * mg;
        return (tg * inverse - mg * mt) / ((spread > 0 ? spread : 0) + floor);
    }
};

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
    // Coefficients of the window, for either colour (1 green, 0 the line's
    // colour) as target with the other colour's interpolation as guide, over
    // that colour's sites, each with the inverse of the window's fit error
    // as weight; kept as w, w a and w b.
    Plane wt[2], wa[2], wb[2];
    for (int c = 0; c < 2; ++c) wt[c] = s.New(), wa[c] = s.New(), wb[c] = s.New();
    for (ptrdiff_t y = 0; y < wh; ++y)
        for (ptrdiff_t x = 0; x < ww; ++x) {
            if (!inside(x, y, 6)) continue;
            for (int c = 0; c < 2; ++c) {
                auto sum = [&](auto&& value) {
                    return green(x, y, 0) == c ? five(value) : six(value);
                };
                const float t = sum([&](ptrdiff_t k) { return at(m, x, y, k); });
                const float g = sum([&](ptrdiff_t k) { return at(other, x, y, k); });
                const float tg =
                    sum([&](ptrdiff_t k) { return at(m, x, y, k) * at(other, x, y, k); });
                const float gg =
                    sum([&](ptrdiff_t k) { return at(other, x, y, k) * at(other, x, y, k); });
                const float tt = sum([&](ptrdiff_t k) { return at(m, x, y, k) * at(m, x, y, k); });
                const bool fiveSites = green(x, y, 0) == c;
                const float inverse = fiveSites ? 1.0f / 5 : 1.0f / 6;
                const float slope = s.Slope(t, g, tg, gg, inverse);
                const float offset = (t - slope * g) * inverse;
                // Mean squared fit error of target minus slope guide minus offset.
                const float e =
                    ((((tt - 2.0f * slope * tg) - 2.0f * offset * t) + slope * slope * gg) +
                     2.0f * slope * offset * g) +
                    (fiveSites ? 5.0f : 6.0f) * offset * offset;
                const float weight = 1.0f / ((e > 0 ? e : 0) * inverse + s.fitFloor);
                wt[c](x, y) = weight;
                wa[c](x, y) = weight * slope;
                wb[c](x, y) = weight * offset;
            }
        }
    // Tentative estimates of both colours at every site, clipped: the
    // coefficients' weighted means over the 11 windows covering it.
    Plane tentative = s.New(), residual = s.New();
    for (ptrdiff_t y = 0; y < wh; ++y)
        for (ptrdiff_t x = 0; x < ww; ++x) {
            if (!inside(x, y, 11)) continue;
            const int own = green(x, y, 0);
            float mean[2][2];
            for (int c = 0; c < 2; ++c) {
                auto wk = [&](ptrdiff_t k) { return at(wt[c], x, y, k); };
                auto ak = [&](ptrdiff_t k) { return at(wa[c], x, y, k); };
                auto bk = [&](ptrdiff_t k) { return at(wb[c], x, y, k); };
                const float total = five(wk) + six(wk);
                mean[c][0] = (five(ak) + six(ak)) / total;
                mean[c][1] = (five(bk) + six(bk)) / total;
            }
            const float ownHere = s.Clip(mean[own][0] * other(x, y) + mean[own][1]);
            const float otherHere = s.Clip(mean[1 - own][0] * m(x, y) + mean[1 - own][1]);
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
            float estimate[2];
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
                estimate[d] = (noise * smooth(x, y) + signal * diff(x, y)) / (signal + noise);
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
            float weight[2];
            for (int d = 0; d < 2; ++d) {
                const float* r = across[d];
                const float gradient = (((r[0] + r[1]) + r[2]) + r[3]) + r[4];
                weight[d] = 1.0f / (gradient * gradient + s.gradientFloor);
            }
            g(x, y) = m(x, y) +
                      (weight[0] * estimate[0] + weight[1] * estimate[1]) / (weight[0] + weight[1]);
        }
    return g;
}

// Red (colour 0) or blue (2) everywhere: the guided filter of the full green
// over windows of 5 x 5 (statistics at the colour's sites), plus the
// bilinearly interpolated residuals of its samples.
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
    Plane a = s.New(), b = s.New();
    for (ptrdiff_t y = 22; y + 22 < wh; ++y)
        for (ptrdiff_t x = 22; x + 22 < ww; ++x) {
            const bool rowHas = has(x, y) || has(x + 1, y);
            const bool columnHas = has(x, y) || has(x, y + 1);
            const float inverse = 1.0f / float((rowHas ? 3 : 2) * (columnHas ? 3 : 2));
            const float t = box(site([&](ptrdiff_t u, ptrdiff_t v) { return m(u, v); }), x, y);
            const float gs = box(site([&](ptrdiff_t u, ptrdiff_t v) { return g(u, v); }), x, y);
            const float tg =
                box(site([&](ptrdiff_t u, ptrdiff_t v) { return m(u, v) * g(u, v); }), x, y);
            const float gg =
                box(site([&](ptrdiff_t u, ptrdiff_t v) { return g(u, v) * g(u, v); }), x, y);
            const float slope = s.Slope(t, gs, tg, gg, inverse);
            a(x, y) = slope;
            b(x, y) = (t - slope * gs) * inverse;
        }
    Plane residual = s.New(), estimate = s.New();
    constexpr float kTwentyFifth = 1.0f / 25;
    for (ptrdiff_t y = 24; y + 24 < wh; ++y)
        for (ptrdiff_t x = 24; x + 24 < ww; ++x) {
            const float ma = box([&](ptrdiff_t u, ptrdiff_t v) { return a(u, v); }, x, y);
            const float mb = box([&](ptrdiff_t u, ptrdiff_t v) { return b(u, v); }, x, y);
            const float t = s.Clip(ma * kTwentyFifth * g(x, y) + mb * kTwentyFifth);
            estimate(x, y) = t;
            residual(x, y) = has(x, y) ? m(x, y) - t : 0.0f;
        }
    Plane out = s.New();
    for (ptrdiff_t y = 25; y + 25 < wh; ++y)
        for (ptrdiff_t x = 25; x + 25 < ww; ++x) {
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

template <class S>
void StripRows(const Conversion& job, size_t ys, size_t rows, const PackPlan& pack) {
    const SourceView& f = job.frame;
    Strip s{};
    s.ww = size_t(job.dst.width) + 2 * kMargin;
    s.wh = rows + 2 * kMargin;
    s.left = ptrdiff_t(job.x) - kMargin;
    s.top = ptrdiff_t(ys) - kMargin;
    s.redColumn = f.pattern & 1;
    s.redRow = f.pattern >> 1;
    s.limit = float(job.maxValue);
    s.floor = s.limit * s.limit * 1e-6f;
    s.varFloor = s.limit * s.limit * 1.5e-10f;
    s.fitFloor = s.limit * s.limit * 1e-3f;
    s.gradientFloor = s.limit * s.limit * (1e-10f / (255.0f * 255.0f));
    Plane m = s.New();
    for (size_t y = 0; y < s.wh; ++y) {
        const uint8_t* src = f.Row(MirrorIndex(s.top + ptrdiff_t(y), f.height));
        for (size_t x = 0; x < s.ww; ++x)
            m(ptrdiff_t(x), ptrdiff_t(y)) =
                float(S::Load(src, MirrorIndex(s.left + ptrdiff_t(x), f.width)));
    }
    Plane dh = LineDifferences(s, m, 1, 0), dv = LineDifferences(s, m, 0, 1);
    Plane g = Green(s, m, dh, dv);
    Plane r = Colour(s, m, g, 0), b = Colour(s, m, g, 2);
    auto sample = [&](float v) {
        const float q = std::floor(v + 0.5f);
        return uint16_t(q < 0 ? 0 : q > s.limit ? s.limit : q);
    };
    std::vector<uint16_t> out(3 * job.dst.width);
    uint16_t *rr = out.data(), *gg = rr + job.dst.width, *bb = gg + job.dst.width;
    for (size_t y = 0; y < rows; ++y) {
        for (size_t k = 0; k < job.dst.width; ++k) {
            const ptrdiff_t x = ptrdiff_t(k) + kMargin, wy = ptrdiff_t(y) + kMargin;
            rr[k] = sample(r(x, wy));
            gg[k] = sample(g(x, wy));
            bb[k] = sample(b(x, wy));
        }
        pack.Put(pack.Row(job.dst, ys - job.y + y), 0, job.dst.width, rr, gg, bb);
    }
}

}  // namespace

void RiPlain(const Conversion& job, SimdFeatures level) {
    const PackPlan pack(job.dst, job.pack, level);
    if (!pack.Valid() || job.frame.width < 2 || job.frame.height < 2 || job.frame.pattern > kBggr)
        return;
    for (size_t y = 0; y < job.dst.height; y += kStripRows) {
        const size_t rows = std::min(kStripRows, job.dst.height - y);
        if (job.frame.format == kFormatMosaic16)
            StripRows<Sample16>(job, job.y + y, rows, pack);
        else
            StripRows<Sample8>(job, job.y + y, rows, pack);
    }
}

}  // namespace orvex
