// Drives the second interface from a fuzzed byte string: images whose
// fields the fuzzer chooses, each in a buffer of exactly the bytes its
// fields describe (or none, when the fields do not describe a view), with
// guard bytes after it. Whatever the fields, nothing outside the described
// bytes may be touched, and an error leaves the destination as it was.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "orvex2.h"

namespace {

constexpr uint64_t kMaxBytes = 1u << 20;
constexpr size_t kGuard = 64;
constexpr uint8_t kCanary = 0xA5;

void Check(bool ok) {
    if (!ok) std::abort();
}

// Mosaics first (kMosaics of them), then outputs.
const uint32_t kFormats[] = {
    ORVEX_MOSAIC8,       ORVEX_MOSAIC16,       ORVEX_MOSAIC10_MIPI, ORVEX_MOSAIC12_MIPI,
    ORVEX_MOSAIC14_MIPI, ORVEX_MOSAIC10_PFNC,  ORVEX_MOSAIC12_PFNC, ORVEX_MOSAIC12_GIGE,
    ORVEX_RGB24,         ORVEX_BGR24,          ORVEX_RGBA32,        ORVEX_BGRA32,
    ORVEX_ARGB32,        ORVEX_RGB48,          ORVEX_PLANAR_RGB24,  ORVEX_PLANAR_RGB48,
    ORVEX_GRAY8,         ORVEX_GRAY16,         ORVEX_ABGR32,        ORVEX_RGBA64,
    ORVEX_RGB_F32,       ORVEX_PLANAR_RGB_F32, ORVEX_GRAY_F32};
constexpr size_t kMosaics = 8;

size_t PixelBytes(uint32_t format) {
    switch (format) {
        case ORVEX_MOSAIC8:
        case ORVEX_PLANAR_RGB24:
        case ORVEX_GRAY8:
            return 1;
        case ORVEX_MOSAIC16:
        case ORVEX_PLANAR_RGB48:
        case ORVEX_GRAY16:
            return 2;
        case ORVEX_RGB24:
        case ORVEX_BGR24:
            return 3;
        case ORVEX_RGB48:
            return 6;
        case ORVEX_RGBA64:
            return 8;
        case ORVEX_RGB_F32:
            return 12;
        default:
            return 4;
    }
}

// An image and the buffer that holds exactly what it describes.
struct Buffer {
    std::vector<uint8_t> bytes;  // guard, the view's bytes, guard
    orvex_image image{};

    bool GuardsIntact() const {
        for (size_t i = 0; i < kGuard; ++i)
            if (bytes[i] != kCanary || bytes[bytes.size() - 1 - i] != kCanary) return false;
        return true;
    }
};

// format 0: the fuzzer chooses one.
void Describe(FuzzedDataProvider& in, Buffer& b, bool mosaic, uint32_t format = 0) {
    orvex_image& m = b.image;
    m.format = format != 0 ? format
               : in.ConsumeBool()
                   ? kFormats[mosaic ? in.ConsumeIntegralInRange<size_t>(0, kMosaics - 1)
                                     : in.ConsumeIntegralInRange<size_t>(kMosaics,
                                                                         std::size(kFormats) - 1)]
                   : in.ConsumeIntegral<uint32_t>();
    m.width = in.ConsumeIntegralInRange<uint32_t>(0, in.ConsumeBool() ? 70 : 700);
    m.height = in.ConsumeIntegralInRange<uint32_t>(0, 40);
    m.pattern = in.ConsumeIntegralInRange<uint32_t>(0, 4);
    m.bits = in.ConsumeIntegralInRange<uint32_t>(0, 17);
    // Packed mosaics: the packing's row (0 for widths it cannot hold, which
    // the library refuses; the buffer then holds four bytes a pixel).
    const size_t packedRow = orvex_image_bytes(m.format, m.width, 1);
    const size_t rowBytes =
        packedRow != 0 && m.format >= ORVEX_MOSAIC10_MIPI && m.format <= ORVEX_MOSAIC12_GIGE
            ? packedRow
            : size_t(m.width) * PixelBytes(m.format);
    const size_t pad = in.ConsumeIntegralInRange<size_t>(0, 9);
    const bool bottomUp = in.ConsumeBool(), planar = m.format == ORVEX_PLANAR_RGB24 ||
                                                     m.format == ORVEX_PLANAR_RGB48 ||
                                                     m.format == ORVEX_PLANAR_RGB_F32;
    // Mostly views that fit their buffer; sometimes a stride that no buffer
    // can back, shorter than a row or too long to address (the library must
    // then refuse before touching anything).
    const bool honest = in.ConsumeIntegralInRange(0, 7) != 0;
    const size_t pitch = rowBytes + pad, planes = planar ? 3 : 1;
    const size_t extent = m.height == 0 ? 0 : pitch * (size_t(m.height) * planes - 1) + rowBytes;
    if (extent > kMaxBytes) {
        m.width = m.height = 0;
    }
    b.bytes.assign(2 * kGuard + (honest && extent <= kMaxBytes ? extent : 16), kCanary);
    uint8_t* first = b.bytes.data() + kGuard;
    m.stride = in.ConsumeBool() && pad == 0 && !bottomUp
                   ? 0
                   : (bottomUp ? -ptrdiff_t(pitch) : ptrdiff_t(pitch));
    m.plane_stride = planar ? ptrdiff_t(pitch * m.height) : 0;
    m.data = first + (bottomUp && m.height > 0 ? pitch * (m.height - 1) : 0);
    if (!honest) {
        m.data = first;
        if (rowBytes >= 2 && in.ConsumeBool()) {
            const auto shorter = ptrdiff_t(in.ConsumeIntegralInRange<size_t>(1, rowBytes - 1));
            m.stride = in.ConsumeBool() ? shorter : -shorter;
        } else {
            // Above half the largest object: two strides cannot be addressed.
            m.stride = PTRDIFF_MAX / 2 + 1 + in.ConsumeIntegralInRange<ptrdiff_t>(0, 1000);
            m.height = 3 + in.ConsumeIntegralInRange<uint32_t>(0, 10);
            m.width = m.width == 0 ? 1 : m.width;
        }
    }
    for (size_t i = 0; mosaic && i < b.bytes.size() - 2 * kGuard; ++i)
        first[i] = in.ConsumeIntegral<uint8_t>();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    Buffer src, dst;
    Describe(in, src, true);
    // The zoom's destination is described in the source's format, so that
    // its buffer backs what its fields say.
    const bool zoom = in.ConsumeIntegralInRange(0, 5) == 0;
    const bool unpack = !zoom && in.ConsumeIntegralInRange(0, 7) == 0;
    Describe(in, dst, zoom || unpack,
             zoom                         ? src.image.format
             : unpack && in.ConsumeBool() ? ORVEX_MOSAIC16
                                          : 0);
    const uint32_t method = in.ConsumeIntegralInRange<uint32_t>(0, 5);
    const uint32_t x = in.ConsumeIntegralInRange<uint32_t>(0, 80);
    const uint32_t y = in.ConsumeIntegralInRange<uint32_t>(0, 50);
    orvex_options options;
    orvex_init_options(&options);
    options.threads = in.ConsumeIntegralInRange<uint32_t>(0, 3);
    options.alpha = in.ConsumeIntegral<uint32_t>();
    // Sometimes corrections and colour, in and out of range.
    if (in.ConsumeIntegralInRange(0, 3) == 0) {
        for (uint32_t& b : options.black) b = in.ConsumeIntegralInRange<uint32_t>(0, 5000);
        options.white = in.ConsumeIntegralInRange<uint32_t>(0, 70000);
        for (float& g : options.gain) g = in.ConsumeFloatingPoint<float>();
        for (float& m : options.matrix) m = in.ConsumeFloatingPointInRange<float>(-4, 4);
        options.transfer = in.ConsumeIntegralInRange<uint32_t>(0, 2);
    }
    if (in.ConsumeIntegralInRange(0, 15) == 0) options.size = in.ConsumeIntegral<uint32_t>();

    const std::vector<uint8_t> before = dst.bytes, mosaicBefore = src.bytes;
    const int status = zoom     ? orvex_zoom_vertical(&src.image, &dst.image, &options)
                       : unpack ? orvex_unpack(&src.image, &dst.image, &options)
                       : in.ConsumeBool()
                           ? orvex_demosaic(&src.image, &dst.image, method, &options)
                           : orvex_demosaic_region(&src.image, x, y, &dst.image, method, &options);
    Check(status <= 0 && orvex_status_text(status) != nullptr);
    Check(src.bytes == mosaicBefore);
    Check(dst.GuardsIntact());
    if (status != ORVEX_OK) Check(dst.bytes == before);
    return 0;
}
