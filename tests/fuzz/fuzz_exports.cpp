// Drives every export from a fuzzed byte string, with caller buffers of
// exactly the size the contract asks for, so that any access past them is
// caught by the sanitizers.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "legacy/cubic_export.h"
#include "orvex.h"

namespace {

// Keeps every run fast; the full 32-bit fields still reach values whose low
// 16 bits differ from the whole.
constexpr uint64_t kMaxArea = 1u << 18;

void Check(bool ok) {
    if (!ok) std::abort();
}

bool Unchanged(const std::vector<uint8_t>& before, const uint8_t* now) {
    return before.empty() || std::memcmp(before.data(), now, before.size()) == 0;
}

uint32_t Code(FuzzedDataProvider& in, uint32_t usual) {
    return in.ConsumeBool() ? in.ConsumeIntegralInRange<uint32_t>(0, usual)
                            : in.ConsumeIntegral<uint32_t>();
}

uint32_t Dimension(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0:
            return in.ConsumeIntegralInRange<uint32_t>(0, 12);
        case 1:
            return in.ConsumeIntegralInRange<uint32_t>(0, 700);
        case 2:
            return 65536u * in.ConsumeIntegralInRange<uint32_t>(1, 3) +
                   in.ConsumeIntegralInRange<uint32_t>(0, 9);
        default:
            return in.ConsumeIntegral<uint32_t>();
    }
}

// Width and height whose full product stays within kMaxArea.
void Geometry(FuzzedDataProvider& in, uint32_t& w, uint32_t& h) {
    w = Dimension(in);
    h = Dimension(in);
    if (w > kMaxArea) w %= 1024;
    if (uint64_t(w) * h > kMaxArea) h = w ? uint32_t(kMaxArea / w) : h % 1024;
}

ImageDesc Descriptor(FuzzedDataProvider& in) {
    ImageDesc d;
    std::memset(&d, 0x5A, sizeof d);
    d.format = Code(in, 14);
    Geometry(in, d.width, d.height);
    d.bitDepth = in.ConsumeBool() ? in.ConsumeIntegralInRange<uint16_t>(0, 17)
                                  : in.ConsumeIntegral<uint16_t>();
    d.bayerPattern = Code(in, 5);
    return d;
}

// An exactly sized heap buffer filled from the remaining input.
std::unique_ptr<uint8_t[]> Buffer(FuzzedDataProvider& in, size_t size) {
    std::unique_ptr<uint8_t[]> b(new uint8_t[size]);
    const std::vector<uint8_t> seed = in.ConsumeBytes<uint8_t>(64);
    for (size_t i = 0; i < size; ++i)
        b[i] = seed.empty() ? uint8_t(i * 131) : seed[i % seed.size()];
    return b;
}

size_t SampleBytesRead(uint32_t method, const ImageDesc& src, const ImageDesc& dst) {
    if (method == MethodBilinear || method == MethodBlock)
        return dst.format == PlanarRGB48 || dst.format == RGB48 ? 2 : 1;
    return src.format == Bayer16 ? 2 : 1;
}

void FuzzDemosaic(FuzzedDataProvider& in) {
    const uint32_t method = Code(in, 6);
    const int failAt = in.ConsumeIntegralInRange(0, 40);
    ImageDesc src = Descriptor(in);
    ImageDesc dst = Descriptor(in);
    const size_t area = size_t(src.width) * src.height;
    auto source = Buffer(in, area * SampleBytesRead(method, src, dst));
    const size_t size = Orvex_CalcImageSize(dst.format, src.width, src.height);
    auto target = Buffer(in, size);
    const std::vector<uint8_t> before(target.get(), target.get() + size);
    src.data = source.get();
    dst.data = target.get();
    const ImageDesc srcBefore = src;

    const bool cubic = method == 3 || method == 4;
    if (cubic && failAt > 0) {
        // The export's cubic path with one of its allocations failing:
        // nothing written, nothing kept.
        dst.bitDepth = src.bitDepth;
        dst.width = src.width;
        dst.height = src.height;
        orvex::CubicMemory memory(failAt);
        const int32_t planned = orvex::RunCubicExport(method == 4, src, dst, memory);
        Check(memory.live() == 0);
        if (planned != 0) Check(Unchanged(before, target.get()));
        return;
    }
    const int32_t result = Orvex_BayerToRgb(method, &src, &dst);

    Check(std::memcmp(&src, &srcBefore, sizeof src) == 0);
    Check(dst.width == src.width && dst.height == src.height && dst.bitDepth == src.bitDepth);
    Check(dst.size == size);
    const bool untouched = Unchanged(before, target.get());
    if (method < 1 || method > 4) Check(result == int32_t(method - 1u) && untouched);
    if (cubic && result != 0) Check(untouched);
}

void FuzzZoom(FuzzedDataProvider& in) {
    const uint32_t mode = in.ConsumeBool() ? 2u + 256u * in.ConsumeIntegral<uint8_t>()
                                           : in.ConsumeIntegral<uint32_t>();
    ImageDesc src = Descriptor(in);
    ImageDesc dst = Descriptor(in);
    if (in.ConsumeBool()) {  // mostly a well-formed destination
        dst.width = src.width;
        dst.height = uint64_t(src.height) * 2 * src.width <= kMaxArea ? src.height * 2 : 0;
    }
    const size_t bytes = src.format == Bayer16 ? 2 : 1;
    auto source = Buffer(in, size_t(src.width) * src.height * bytes);
    const size_t size = size_t(dst.width) * dst.height * bytes;
    auto target = Buffer(in, size);
    const std::vector<uint8_t> before(target.get(), target.get() + size);
    src.data = source.get();
    dst.data = target.get();
    const ImageDesc srcBefore = src, dstBefore = dst;

    const int32_t result = Orvex_BayerZoomVert(mode, &src, &dst);

    Check(std::memcmp(&src, &srcBefore, sizeof src) == 0);
    Check(std::memcmp(&dst, &dstBefore, sizeof dst) == 0);
    Check(result == (uint8_t(mode) == 2 ? 0 : 1));
    if (uint8_t(mode) != 2) Check(Unchanged(before, target.get()));
}

void FuzzQueries(FuzzedDataProvider& in) {
    const uint32_t format = Code(in, 14);
    const uint32_t w = in.ConsumeIntegral<uint32_t>(), h = in.ConsumeIntegral<uint32_t>();
    const uint8_t classes =
        Orvex_isMonochrome(format) + Orvex_isBayer(format) + Orvex_is3Color(format);
    Check(classes <= 1);
    Check(Orvex_isColor(format) == (Orvex_isBayer(format) || Orvex_is3Color(format)));
    if (format > 12) Check(Orvex_CalcImageSize(format, w, h) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0:
            FuzzDemosaic(in);
            break;
        case 1:
            FuzzZoom(in);
            break;
        default:
            FuzzQueries(in);
            break;
    }
    return 0;
}
