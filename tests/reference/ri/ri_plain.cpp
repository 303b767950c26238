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
#include "ri/ri_plain_stages.h"

namespace orvex {
namespace {

using namespace ri_plain;

constexpr ptrdiff_t kMargin = 30;
constexpr size_t kStripRows = 40;

size_t MirrorIndex(ptrdiff_t i, size_t n) {
    if (n == 1) return 0;
    const ptrdiff_t period = 2 * ptrdiff_t(n) - 2;
    ptrdiff_t m = i % period;
    if (m < 0) m += period;
    return size_t(m < ptrdiff_t(n) ? m : period - m);
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
    s.gradientFloor = 1e-10f / (255.0f * 255.0f);  // of the squared range
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
