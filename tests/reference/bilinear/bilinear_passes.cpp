// The plain form of the bilinear demosaic: four phase passes in their fixed
// order, the pattern settled once per pass as a kernel and an assignment of
// its three results to channels. Pass kernels of the bilinear demosaic. The nine neighbourhood
// positions are separate running pointers advanced in lock-step, so a row of cells is one straight
// loop without branches.
#include "bilinear/bilinear_passes.h"

#include <cstddef>

#include "core/samples.h"
#include "orvex.h"

namespace orvex {
namespace {

struct Neighbourhood {
    uint32_t ul, u, ur, l, c, r, dl, d, dr;
};

struct AtRedBlue {
    static void Values(const Neighbourhood& n, uint32_t& v0, uint32_t& v1, uint32_t& v2) {
        v0 = (n.l + n.r + n.u + n.d + 2) >> 2;
        v1 = n.c;
        v2 = (n.ul + n.ur + n.dl + n.dr + 2) >> 2;
    }
};

struct AtGreen {
    static void Values(const Neighbourhood& n, uint32_t& v0, uint32_t& v1, uint32_t& v2) {
        v0 = (n.u + n.d + 1) >> 1;
        v1 = n.c;
        v2 = (n.l + n.r + 1) >> 1;
    }
};

template <class S, class Site>
void BilinearPass(const uint8_t* first, uint16_t width, uint16_t cells, uint16_t rowPairs,
                  uint8_t* out0, uint8_t* out1, uint8_t* out2, uint8_t step) {
    const ptrdiff_t b = S::kBytes;
    const ptrdiff_t w = width;
    // Each row of the pass starts two mosaic rows below the previous one.
    const size_t advance = 2 * size_t(width);
    const size_t outStep = step;
    for (size_t j = 0; j < rowPairs; ++j) {
        const uint8_t* c = first + ptrdiff_t(j * advance) * b;
        const uint8_t* u = c - w * b;
        const uint8_t* d = c + w * b;
        const size_t o = j * advance * outStep;
        uint8_t* o0 = out0 + o * S::kBytes;
        uint8_t* o1 = out1 + o * S::kBytes;
        uint8_t* o2 = out2 + o * S::kBytes;
        for (size_t i = 0, s = 0; i < cells; ++i, s += 2) {
            const Neighbourhood n{S::Load(u - b, s), S::Load(u, s), S::Load(u + b, s),
                                  S::Load(c - b, s), S::Load(c, s), S::Load(c + b, s),
                                  S::Load(d - b, s), S::Load(d, s), S::Load(d + b, s)};
            uint32_t v0, v1, v2;
            Site::Values(n, v0, v1, v2);
            const size_t at = s * outStep;
            S::Store(o0, at, v0);
            S::Store(o1, at, v1);
            S::Store(o2, at, v2);
        }
    }
}

}  // namespace

void BilinearAtRedBlue8(const uint8_t* first, uint16_t width, uint16_t, uint16_t cells,
                        uint16_t rowPairs, uint8_t* out0, uint8_t* out1, uint8_t* out2,
                        uint8_t step, uint8_t) {
    BilinearPass<Sample8, AtRedBlue>(first, width, cells, rowPairs, out0, out1, out2, step);
}

void BilinearAtGreen8(const uint8_t* first, uint16_t width, uint16_t, uint16_t cells,
                      uint16_t rowPairs, uint8_t* out0, uint8_t* out1, uint8_t* out2, uint8_t step,
                      uint8_t) {
    BilinearPass<Sample8, AtGreen>(first, width, cells, rowPairs, out0, out1, out2, step);
}

void BilinearAtRedBlue16(const uint8_t* first, uint16_t width, uint16_t, uint16_t cells,
                         uint16_t rowPairs, uint8_t* out0, uint8_t* out1, uint8_t* out2,
                         uint8_t step, uint8_t) {
    BilinearPass<Sample16, AtRedBlue>(first, width, cells, rowPairs, out0, out1, out2, step);
}

void BilinearAtGreen16(const uint8_t* first, uint16_t width, uint16_t, uint16_t cells,
                       uint16_t rowPairs, uint8_t* out0, uint8_t* out1, uint8_t* out2, uint8_t step,
                       uint8_t) {
    BilinearPass<Sample16, AtGreen>(first, width, cells, rowPairs, out0, out1, out2, step);
}

namespace {

enum SiteKind : uint8_t { RedSite, BlueSite, GreenOnRedRow, GreenOnBlueRow };

struct Pass {
    uint8_t x0, y0, number;
};

// The four phase passes, in their fixed order.
constexpr Pass kPasses[4] = {{1, 1, 0}, {2, 1, 2}, {1, 2, 1}, {2, 2, 3}};

// Site kind at each pass's sites, by pattern.
constexpr SiteKind kSiteKinds[4][4] = {
    {BlueSite, GreenOnBlueRow, GreenOnRedRow, RedSite},  // RGGB
    {GreenOnBlueRow, BlueSite, RedSite, GreenOnRedRow},  // GRBG
    {GreenOnRedRow, RedSite, BlueSite, GreenOnBlueRow},  // GBRG
    {RedSite, GreenOnRedRow, GreenOnBlueRow, BlueSite},  // BGGR
};

enum Channel : uint8_t { R, G, B };

struct SiteRoute {
    bool green;          // green-site kernel, else red/blue-site kernel
    Channel results[3];  // channel receiving the kernel's results 0, 1, 2
};

// Red/blue kernel: cross, centre, diagonal. Green kernel: vertical, centre, horizontal.
constexpr SiteRoute kSiteRoutes[4] = {
    {false, {G, R, B}},  // red site
    {false, {G, B, R}},  // blue site
    {true, {B, G, R}},   // green on a red row: red left and right
    {true, {R, G, B}},   // green on a blue row: red above and below
};

struct Kernels {
    BilinearPassKernel redBlue, green;
    size_t sampleBytes;
};

constexpr Kernels kKernels8{BilinearAtRedBlue8, BilinearAtGreen8, 1};
constexpr Kernels kKernels16{BilinearAtRedBlue16, BilinearAtGreen16, 2};

void RunPasses(const Kernels& k, uint32_t pattern, const uint8_t* src, uint16_t width,
               uint16_t height, uint8_t* r, uint8_t* g, uint8_t* b, uint8_t step) {
    if (pattern > BGGR || width < 3 || height < 3) return;
    uint8_t* const channels[3] = {r, g, b};
    for (size_t p = 0; p < 4; ++p) {
        const Pass& pass = kPasses[p];
        const SiteRoute& route = kSiteRoutes[kSiteKinds[pattern][p]];
        const size_t site = size_t(pass.y0) * width + pass.x0;
        const size_t out = site * step * k.sampleBytes;
        const auto cells = static_cast<uint16_t>((width - pass.x0) / 2);
        const auto rowPairs = static_cast<uint16_t>((height - pass.y0) / 2);
        const BilinearPassKernel kernel = route.green ? k.green : k.redBlue;
        kernel(src + site * k.sampleBytes, width, height, cells, rowPairs,
               channels[route.results[0]] + out, channels[route.results[1]] + out,
               channels[route.results[2]] + out, step, pass.number);
    }
}

}  // namespace

void BilinearDemosaic8(uint32_t pattern, const uint8_t* src, uint16_t width, uint16_t height,
                       uint8_t* r, uint8_t* g, uint8_t* b, uint8_t step) {
    RunPasses(kKernels8, pattern, src, width, height, r, g, b, step);
}

void BilinearDemosaic16(uint32_t pattern, const uint8_t* src, uint16_t width, uint16_t height,
                        uint8_t* r, uint8_t* g, uint8_t* b, uint8_t step) {
    RunPasses(kKernels16, pattern, src, width, height, r, g, b, step);
}

}  // namespace orvex
