#include "legacy/cubic_export.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <chrono>
#include <thread>
#endif

#include "legacy/contiguous_views.h"
#include "legacy/export_formats.h"
#include "methods/cubic/cubic_demosaic.h"

namespace orvex {
namespace {

constexpr unsigned kGatePollMilliseconds = 250;

void WaitForGate() {
#if defined(_WIN32)
    Sleep(kGatePollMilliseconds);
#else
    std::this_thread::sleep_for(std::chrono::milliseconds(kGatePollMilliseconds));
#endif
}

// What the export converts, checked before anything is allocated.
bool Convertible(const ImageDesc& src, const ImageDesc& dst) {
    if (src.format != Bayer8 && src.format != Bayer16) return false;
    if (dst.format < BGR24 || dst.format > RGB24) return false;
    if (src.bayerPattern > BGGR) return false;
    if (src.width < 2 || src.height < 2 || src.width >= 32768 || src.height >= 65536) return false;
    return SizeRuleCovers(dst.format, src.width, src.height);
}

// The ceiling of the export's samples, from the descriptor's bit depth.
uint32_t Ceiling(uint16_t bitDepth) {
    return bitDepth >= 16 ? 65535u : (uint32_t(1) << bitDepth) - 1;
}

class GateTurn {
  public:
    GateTurn() {
        for (;;) {
            int32_t idle = 0;
            if (CubicGate().compare_exchange_strong(idle, 1)) return;
            WaitForGate();
        }
    }
    ~GateTurn() { CubicGate().fetch_sub(1); }
    GateTurn(const GateTurn&) = delete;
    GateTurn& operator=(const GateTurn&) = delete;
};

}  // namespace

std::atomic<int32_t>& CubicGate() {
    static std::atomic<int32_t> busy{0};
    return busy;
}

int32_t RunCubicExport(bool fixed, const ImageDesc& src, const ImageDesc& dst,
                       CubicMemory& memory) {
    if (!Convertible(src, dst)) return kCubicFailed;
    const SourceView from =
        ContiguousSource(src.data, src.format, src.width, src.height, src.bayerPattern);
    const ImageView to =
        ContiguousDestination(dst.data, dst.format, src.width, src.height, src.bayerPattern);
    GateTurn turn;
    const auto method = fixed ? DemosaicBicubicFixed : DemosaicBicubicFloat;
    // Four-byte pixels take alpha 255; 8-bit layouts keep the low byte of
    // wider samples.
    Conversion job = WholeFrame(from, to, Ceiling(dst.bitDepth));
    job.pack = {true, 255, 0};
    return method(job, memory, ProcessSimd());
}

}  // namespace orvex
