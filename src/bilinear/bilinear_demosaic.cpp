// Router and drivers of the bilinear demosaic: the format is settled once as
// three channel bases and a step, the pattern once per pass as a kernel and
// an assignment of its three results to channels.
#include "bilinear/bilinear_demosaic.h"

#include <cstddef>

#include "api/formats.h"

namespace orvex {
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

int32_t BilinearDemosaic(const ImageDesc& src, const ImageDesc& dst) {
    const ChannelLayout* layout = FindColourLayout(dst.format);
    if (layout == nullptr || !SizeRuleCovers(dst.format, src.width, src.height)) return 0;
    const ChannelStarts ch = LocateChannels(*layout, dst.data, size_t(src.width) * src.height);
    const auto driver = layout->sampleBytes == 2 ? BilinearRows16 : BilinearRows8;
    driver(src.bayerPattern, static_cast<const uint8_t*>(src.data),
           static_cast<uint16_t>(src.width), static_cast<uint16_t>(src.height), ch.r, ch.g, ch.b,
           layout->step);
    return 0;
}

}  // namespace orvex
