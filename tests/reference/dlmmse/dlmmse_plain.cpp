// The plain form of the directional LMMSE demosaic, pixel by pixel, kept
// to check the library's passes against. The region is converted in strips of rows. Each strip's
// mosaic is read with a margin of kMargin samples on every side (by reflection about the frame's
// edge sample where the frame ends), every estimate is computed on that window, and only the
// strip's own pixels are kept: every pixel depends on the samples within kMargin of it and nothing
// else, so strips, bands and tiles give the same bytes.
#include "dlmmse/dlmmse_plain.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/samples.h"
#include "pack/pack_rows.h"

namespace orvex {
namespace {

// Reach of a pixel's estimates: directional differences 2, low-pass 4,
// statistics 4, the other colour 1, colours at green sites 1.
constexpr ptrdiff_t kMargin = 12;
constexpr size_t kStripRows = 64;
constexpr size_t kPlanes = 8;

size_t MirrorIndex(ptrdiff_t i, size_t n) {
    if (n == 1) return 0;
    const ptrdiff_t period = 2 * ptrdiff_t(n) - 2;
    ptrdiff_t m = i % period;
    if (m < 0) m += period;
    return size_t(m < ptrdiff_t(n) ? m : period - m);
}

// Low-pass taps: a Gaussian of sigma 2 over nine samples, exp(-k^2 / 8)
// normalised to sum 1, written out so that every platform's library gives
// the same numbers.
struct LowPass {
    float tap[9] = {0.02763055f, 0.06628224f, 0.12383153f, 0.18017390f, 0.20416368f,
                    0.18017390f, 0.12383153f, 0.06628224f, 0.02763055f};
};

// The low-pass of nine samples a[0] .. a[8], its symmetric taps paired.
float LowPass9(const LowPass& low, const float (&a)[9]) {
    return (low.tap[0] * (a[0] + a[8]) + low.tap[1] * (a[1] + a[7])) +
           (low.tap[2] * (a[2] + a[6]) + low.tap[3] * (a[3] + a[5])) + low.tap[4] * a[4];
}

// The sum of nine samples, added pairwise.
float Sum9(const float (&a)[9]) {
    return ((a[0] + a[1]) + (a[2] + a[3])) + ((a[4] + a[5]) + (a[6] + a[7])) + a[8];
}

// A window of planes, width `stride` floats per row.
struct Window {
    float* plane[kPlanes];
    size_t stride, rows;
    float& At(size_t p, size_t y, size_t x) const { return plane[p][y * stride + x]; }
};

enum Plane { kMosaic, kDiffH, kDiffV, kSmoothH, kSmoothV, kGreen, kRed, kBlue };

template <class S>
void Strip(const Conversion& job, const Window& win, size_t ys, size_t rows, const PackPlan& pack,
           const LowPass& low) {
    const SourceView& f = job.frame;
    const size_t ww = win.stride, wh = rows + 2 * kMargin;
    const ptrdiff_t left = ptrdiff_t(job.x) - kMargin, top = ptrdiff_t(ys) - kMargin;
    // Colour of window sample (x, y): 0 red, 1 green, 2 blue.
    const size_t redColumn = f.pattern & 1, redRow = f.pattern >> 1;
    auto colour = [&](size_t x, size_t y) {
        const bool rr = size_t((top + ptrdiff_t(y)) & 1) == redRow;
        const bool rc = size_t((left + ptrdiff_t(x)) & 1) == redColumn;
        return rr == rc ? (rr ? 0 : 2) : 1;
    };
    for (size_t y = 0; y < wh; ++y) {
        const uint8_t* src =
            f.data + ptrdiff_t(MirrorIndex(top + ptrdiff_t(y), f.height)) * f.stride;
        for (size_t x = 0; x < ww; ++x)
            win.At(kMosaic, y, x) = float(S::Load(src, MirrorIndex(left + ptrdiff_t(x), f.width)));
    }
    // Green minus the line's colour, along rows (H) and columns (V), at every site.
    for (size_t y = 0; y < wh; ++y)
        for (size_t x = 2; x + 2 < ww; ++x) {
            const float* m = &win.At(kMosaic, y, 0);
            const float est =
                (m[x - 1] + m[x + 1]) * 0.5f + (2 * m[x] - m[x - 2] - m[x + 2]) * 0.25f;
            win.At(kDiffH, y, x) = colour(x, y) == 1 ? m[x] - est : est - m[x];
        }
    for (size_t y = 2; y + 2 < wh; ++y)
        for (size_t x = 0; x < ww; ++x) {
            auto m = [&](size_t yy) { return win.At(kMosaic, yy, x); };
            const float est =
                (m(y - 1) + m(y + 1)) * 0.5f + (2 * m(y) - m(y - 2) - m(y + 2)) * 0.25f;
            win.At(kDiffV, y, x) = colour(x, y) == 1 ? m(y) - est : est - m(y);
        }
    // Low-passed differences.
    for (size_t y = 0; y < wh; ++y)
        for (size_t x = 6; x + 6 < ww; ++x) {
            float a[9];
            for (int k = -4; k <= 4; ++k) a[k + 4] = win.At(kDiffH, y, size_t(ptrdiff_t(x) + k));
            win.At(kSmoothH, y, x) = LowPass9(low, a);
        }
    for (size_t y = 6; y + 6 < wh; ++y)
        for (size_t x = 0; x < ww; ++x) {
            float a[9];
            for (int k = -4; k <= 4; ++k) a[k + 4] = win.At(kDiffV, size_t(ptrdiff_t(y) + k), x);
            win.At(kSmoothV, y, x) = LowPass9(low, a);
        }
    // Green: the sample at green sites; at colour sites the colour plus the
    // fused LMMSE estimate of the difference.
    for (size_t y = 10; y + 10 < wh; ++y)
        for (size_t x = 10; x + 10 < ww; ++x) {
            const float c = win.At(kMosaic, y, x);
            if (colour(x, y) == 1) {
                win.At(kGreen, y, x) = c;
                continue;
            }
            // Per direction: (N * smooth + S * diff), S * N and S + N, the
            // estimate's and its error variance's numerators over S + N.
            float weighted[2], error[2], total[2];
            for (int d = 0; d < 2; ++d) {
                auto diff = [&](int k) {
                    return d == 0 ? win.At(kDiffH, y, size_t(ptrdiff_t(x) + k))
                                  : win.At(kDiffV, size_t(ptrdiff_t(y) + k), x);
                };
                auto smooth = [&](int k) {
                    return d == 0 ? win.At(kSmoothH, y, size_t(ptrdiff_t(x) + k))
                                  : win.At(kSmoothV, size_t(ptrdiff_t(y) + k), x);
                };
                // Sums over nine samples of the smoothed difference, its
                // square and the residual's square.
                float smooths[9], squareds[9], residuals[9];
                for (int k = -4; k <= 4; ++k) {
                    smooths[k + 4] = smooth(k);
                    squareds[k + 4] = smooth(k) * smooth(k);
                    residuals[k + 4] = (diff(k) - smooth(k)) * (diff(k) - smooth(k));
                }
                const float ninth = 1.0f / 9;
                const float mean = Sum9(smooths) * ninth;
                const float spread = Sum9(squareds) * ninth - mean * mean;
                const float signal = (spread > 0 ? spread : 0) + 1e-5f;
                const float noise = Sum9(residuals) * ninth + 1e-5f;
                weighted[d] = noise * smooth(0) + signal * diff(0);
                error[d] = signal * noise;
                total[d] = signal + noise;
            }
            // Weights inverse to the error variances, over one denominator.
            win.At(kGreen, y, x) = c + (error[1] * weighted[0] + error[0] * weighted[1]) /
                                           (error[0] * total[1] + error[1] * total[0]);
        }
    // The colour planes: the samples where they are; the other colour at
    // colour sites from the differences of the four diagonal neighbours.
    for (size_t y = 11; y + 11 < wh; ++y)
        for (size_t x = 11; x + 11 < ww; ++x) {
            const int here = colour(x, y);
            const float g = win.At(kGreen, y, x);
            if (here == 1) continue;
            const int otherColour = 2 - here;
            const size_t own = here == 0 ? kRed : kBlue, other = otherColour == 0 ? kRed : kBlue;
            win.At(own, y, x) = win.At(kMosaic, y, x);
            float d = 0;
            for (const auto& [dy, dx] : {std::pair<int, int>{-1, -1}, {-1, 1}, {1, -1}, {1, 1}}) {
                const size_t yy = size_t(ptrdiff_t(y) + dy), xx = size_t(ptrdiff_t(x) + dx);
                d += win.At(kGreen, yy, xx) - win.At(kMosaic, yy, xx);
            }
            win.At(other, y, x) = g - d / 4;
        }
    // Both colours at green sites from the differences of the four
    // neighbours, then the strip's pixels out.
    const float limit = float(job.maxValue);
    auto sample = [&](float v) {
        const float r = std::floor(v + 0.5f);
        return uint16_t(r < 0 ? 0 : r > limit ? limit : r);
    };
    std::vector<uint16_t> out(3 * job.dst.width);
    uint16_t* rr = out.data();
    uint16_t* gg = rr + job.dst.width;
    uint16_t* bb = gg + job.dst.width;
    for (size_t y = 0; y < rows; ++y) {
        const size_t wy = y + kMargin;
        for (size_t k = 0; k < job.dst.width; ++k) {
            const size_t wx = k + kMargin;
            const float g = win.At(kGreen, wy, wx);
            float r = win.At(kRed, wy, wx), b = win.At(kBlue, wy, wx);
            if (colour(wx, wy) == 1) {
                float dr = 0, db = 0;
                for (const auto& [dy, dx] : {std::pair<int, int>{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
                    const size_t yy = size_t(ptrdiff_t(wy) + dy), xx = size_t(ptrdiff_t(wx) + dx);
                    dr += win.At(kGreen, yy, xx) - win.At(kRed, yy, xx);
                    db += win.At(kGreen, yy, xx) - win.At(kBlue, yy, xx);
                }
                r = g - dr / 4;
                b = g - db / 4;
            }
            rr[k] = sample(r);
            gg[k] = sample(g);
            bb[k] = sample(b);
        }
        pack.Put(pack.Row(job.dst, ys - job.y + y), 0, job.dst.width, rr, gg, bb);
    }
}

}  // namespace

void DlmmsePlain(const Conversion& job, SimdFeatures level) {
    const size_t stride0 = size_t(job.dst.width) + 2 * kMargin;
    std::vector<float> planes(kPlanes * stride0 *
                              (std::min<size_t>(kStripRows, job.dst.height) + 2 * kMargin));
    const PackPlan pack(job.dst, job.pack, level);
    if (!pack.Valid() || job.frame.width < 2 || job.frame.height < 2 || job.frame.pattern > kBggr)
        return;
    const LowPass low;
    const size_t stride = size_t(job.dst.width) + 2 * kMargin;
    const size_t strip = std::min<size_t>(kStripRows, job.dst.height);
    Window win{};
    win.stride = stride;
    win.rows = strip + 2 * kMargin;
    for (size_t p = 0; p < kPlanes; ++p) win.plane[p] = planes.data() + p * stride * win.rows;
    for (size_t y = 0; y < job.dst.height; y += strip) {
        const size_t rows = std::min(strip, job.dst.height - y);
        if (job.frame.format == kFormatMosaic16)
            Strip<Sample16>(job, win, job.y + y, rows, pack, low);
        else
            Strip<Sample8>(job, win, job.y + y, rows, pack, low);
    }
}

}  // namespace orvex
