#include "api/cubic_gate.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <chrono>
#include <thread>
#endif

#include "cubic/cubic_demosaic.h"

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

}  // namespace

std::atomic<int32_t>& CubicGate() {
    static std::atomic<int32_t> busy{0};
    return busy;
}

int32_t RunGatedCubic(CubicMethod method, const ImageDesc& src, const ImageDesc& dst) {
    if (!CubicConvertible(src, dst)) return kCubicFailed;
    for (;;) {
        int32_t idle = 0;
        if (CubicGate().compare_exchange_strong(idle, 1)) break;
        WaitForGate();
    }
    const int32_t result = method(src, dst);
    CubicGate().fetch_sub(1);
    return result;
}

}  // namespace orvex
