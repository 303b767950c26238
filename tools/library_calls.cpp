#include "library_calls.h"

#include <cctype>
#include <cstring>
#include <mutex>

namespace orvex_tool {
namespace {

std::vector<uint8_t> MosaicBytes(const Raster& m, bool wide) {
    std::vector<uint8_t> bytes(m.samples.size() * (wide ? 2 : 1));
    for (size_t i = 0; i < m.samples.size(); ++i) {
        if (wide) {
            bytes[2 * i] = static_cast<uint8_t>(m.samples[i]);
            bytes[2 * i + 1] = static_cast<uint8_t>(m.samples[i] >> 8);
        } else {
            bytes[i] = static_cast<uint8_t>(m.samples[i]);
        }
    }
    return bytes;
}

ImageDesc Describe(void* data, uint32_t format, uint32_t w, uint32_t h, uint32_t depth,
                   uint32_t pattern) {
    ImageDesc d;
    std::memset(&d, 0, sizeof d);
    d.data = data;
    d.format = format;
    d.width = w;
    d.height = h;
    d.bitDepth = static_cast<uint16_t>(depth);
    d.bayerPattern = pattern;
    return d;
}

bool SameName(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && b[i] == '\0';
}

// The cubic exports admit one conversion per process and make the others
// poll every quarter second; queueing here hands the turn over at once.
std::mutex cubicTurn;

size_t SampleOffset(const LayoutInfo& l, uint32_t w, uint32_t h, size_t pixel, int channel) {
    return l.planar ? size_t(channel) * w * h + pixel : pixel * l.pixel + size_t(channel);
}

// Through the second interface: every pixel written, alpha 255.
std::vector<uint8_t> Demosaic2(const Raster& mosaic, uint32_t pattern, const MethodInfo& method,
                               const LayoutInfo& layout, const std::string& source) {
    std::vector<uint8_t> src = MosaicBytes(mosaic, mosaic.Wide());
    orvex_image s{};
    s.data = src.data();
    s.width = mosaic.width;
    s.height = mosaic.height;
    s.format = mosaic.Wide() ? ORVEX_MOSAIC16 : ORVEX_MOSAIC8;
    s.pattern = pattern;
    s.bits = mosaic.Wide() ? mosaic.bitDepth : 8;
    std::vector<uint8_t> dst(orvex_image_bytes(layout.format2, s.width, s.height));
    orvex_image d{};
    d.data = dst.data();
    d.width = s.width;
    d.height = s.height;
    d.format = layout.format2;
    orvex_options options;
    orvex_init_options(&options);
    options.threads = 1;  // as the exports convert; a batch runs files in parallel
    const int status = orvex_demosaic(&s, &d, method.code, &options);
    if (status != ORVEX_OK)
        throw ToolError(kInputError, source + ": " + std::to_string(s.width) + " x " +
                                         std::to_string(s.height) + " " + method.name + ": " +
                                         orvex_status_text(status));
    return dst;
}

}  // namespace

const std::vector<MethodInfo>& Methods() {
    static const std::vector<MethodInfo> methods = {
        {"block", MethodBlock, "2x2 cell copy: red, mean green, blue", false},
        {"bilinear", MethodBilinear, "mean of the nearest neighbours; 1-pixel border left 0",
         false},
        {"cubic", MethodBicubicFloat, "cubic convolution of the colour planes, single precision",
         false},
        {"cubic-fixed", MethodBicubicFixed, "cubic convolution in 1024-scaled integers", false},
        {"mhc", ORVEX_MHC, "gradient-corrected linear (Malvar, He and Cutler 2004)", true},
        {"dlmmse", ORVEX_DLMMSE, "directional LMMSE, edge-directed (Zhang and Wu 2005); for stills",
         true},
    };
    return methods;
}

const std::vector<LayoutInfo>& Layouts() {
    static const std::vector<LayoutInfo> layouts = {
        {"PlanarRGB24", PlanarRGB24, ORVEX_PLANAR_RGB24, false, true, 3, 0, 1, 2, -1},
        {"PlanarRGB48", PlanarRGB48, ORVEX_PLANAR_RGB48, true, true, 3, 0, 1, 2, -1},
        {"BGR24", BGR24, ORVEX_BGR24, false, false, 3, 2, 1, 0, -1},
        {"ARGB32", ARGB32, ORVEX_ARGB32, false, false, 4, 1, 2, 3, 0},
        {"RGB48", RGB48, ORVEX_RGB48, true, false, 3, 0, 1, 2, -1},
        {"BGRA32", BGRA32, ORVEX_BGRA32, false, false, 4, 2, 1, 0, 3},
        {"RGB24", RGB24, ORVEX_RGB24, false, false, 3, 0, 1, 2, -1},
    };
    return layouts;
}

const char* const* PatternNames() {
    static const char* const kNames[4] = {"RGGB", "GRBG", "GBRG", "BGGR"};
    return kNames;
}

const MethodInfo& FindMethod(const std::string& name) {
    for (const MethodInfo& m : Methods())
        if (name == m.name) return m;
    throw ToolError(kUsageError, "unknown method '" + name +
                                     "' (block, bilinear, cubic, cubic-fixed, mhc, dlmmse)");
}

const LayoutInfo& FindLayout(const std::string& name) {
    for (const LayoutInfo& l : Layouts())
        if (SameName(name, l.name)) return l;
    throw ToolError(kUsageError, "unknown layout '" + name + "' (see 'orvex formats')");
}

uint32_t FindPattern(const std::string& name) {
    for (uint32_t p = 0; p < 4; ++p)
        if (SameName(name, PatternNames()[p])) return p;
    throw ToolError(kUsageError, "unknown pattern '" + name + "' (RGGB, GRBG, GBRG, BGGR)");
}

const LayoutInfo& DefaultLayout(const Raster& mosaic) {
    return FindLayout(mosaic.Wide() ? "RGB48" : "RGB24");
}

std::vector<uint8_t> Demosaic(const Raster& mosaic, uint32_t pattern, const MethodInfo& method,
                              const LayoutInfo& layout, const std::string& source) {
    const bool cubic = method.code == MethodBicubicFloat || method.code == MethodBicubicFixed;
    if (mosaic.channels != 1)
        throw ToolError(kInputError, source +
                                         ": a mosaic has one sample per pixel, this image has " +
                                         std::to_string(mosaic.channels));
    if (cubic && layout.planar)
        throw ToolError(kUsageError, std::string("method ") + method.name +
                                         " writes packed layouts only, not " + layout.name);
    if (mosaic.Wide() && !layout.wide)
        throw ToolError(kUsageError, source + ": layout " + layout.name +
                                         " holds 8-bit samples, the mosaic has " +
                                         std::to_string(mosaic.bitDepth) +
                                         "-bit samples (use RGB48 or PlanarRGB48)");
    const uint32_t w = mosaic.width, h = mosaic.height;
    if (method.secondInterface) return Demosaic2(mosaic, pattern, method, layout, source);
    const uint32_t least = method.code == MethodBilinear ? 3 : 2;
    const bool fits = cubic ? (w < 32768 && h < 65536) : (w < 65536 && h < 65536);
    if (w < least || h < least || !fits)
        throw ToolError(kInputError, source + ": " + std::to_string(w) + " x " + std::to_string(h) +
                                         " is outside what method " + method.name + " converts");

    // Block and bilinear read the mosaic at the layout's sample width, the
    // cubic methods at the mosaic's own.
    const bool wideSource = cubic ? mosaic.Wide() : layout.wide;
    std::vector<uint8_t> src = MosaicBytes(mosaic, wideSource);
    const uint32_t size = Orvex_CalcImageSize(layout.format, w, h);
    std::vector<uint8_t> dst(size, 0);
    if (layout.alpha >= 0)
        for (size_t i = 0; i < size_t(w) * h; ++i) dst[i * layout.pixel + layout.alpha] = 255;

    ImageDesc s =
        Describe(src.data(), wideSource ? Bayer16 : Bayer8, w, h, mosaic.bitDepth, pattern);
    ImageDesc d = Describe(dst.data(), layout.format, 0, 0, 0, 0);
    std::unique_lock<std::mutex> turn(cubicTurn, std::defer_lock);
    if (cubic) turn.lock();
    const int32_t result = Orvex_BayerToRgb(method.code, &s, &d);
    if (cubic && result != 0)
        throw ToolError(kInputError, source + ": the " + method.name + " conversion failed");
    return dst;
}

Raster LayoutToRaster(const std::vector<uint8_t>& bytes, const LayoutInfo& layout, uint32_t width,
                      uint32_t height, uint32_t bitDepth) {
    Raster r;
    r.width = width;
    r.height = height;
    r.channels = layout.alpha >= 0 ? 4 : 3;
    // The methods keep the mosaic's range whatever the layout's sample width.
    r.bitDepth = bitDepth;
    r.samples.resize(size_t(width) * height * r.channels);
    const int channels[4] = {layout.r, layout.g, layout.b, layout.alpha};
    for (size_t p = 0; p < size_t(width) * height; ++p) {
        for (uint32_t c = 0; c < r.channels; ++c) {
            const size_t at = SampleOffset(layout, width, height, p, channels[c]);
            r.samples[p * r.channels + c] =
                layout.wide ? uint16_t(bytes[2 * at] | bytes[2 * at + 1] << 8) : bytes[at];
        }
    }
    return r;
}

Raster ZoomMosaic(const Raster& mosaic, uint32_t pattern, const std::string& source) {
    if (mosaic.channels != 1)
        throw ToolError(kInputError, source + ": a mosaic has one sample per pixel");
    if (mosaic.width >= 65536 || uint64_t(mosaic.height) * 2 >= 65536)
        throw ToolError(kInputError, source + ": too large to zoom (at most 65535 x 32767)");
    std::vector<uint8_t> src = MosaicBytes(mosaic, mosaic.Wide());
    Raster out = mosaic;
    out.height = mosaic.height * 2;
    out.samples.assign(size_t(out.width) * out.height, 0);
    std::vector<uint8_t> dst(out.samples.size() * (mosaic.Wide() ? 2 : 1), 0);
    ImageDesc s = Describe(src.data(), mosaic.Wide() ? Bayer16 : Bayer8, mosaic.width,
                           mosaic.height, mosaic.bitDepth, pattern);
    ImageDesc d = Describe(dst.data(), s.format, out.width, out.height, mosaic.bitDepth, pattern);
    Orvex_BayerZoomVert(2, &s, &d);
    for (size_t i = 0; i < out.samples.size(); ++i)
        out.samples[i] = mosaic.Wide() ? uint16_t(dst[2 * i] | dst[2 * i + 1] << 8) : dst[i];
    return out;
}

}  // namespace orvex_tool
