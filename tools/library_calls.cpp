#include "library_calls.h"

#include <algorithm>
#include <cctype>

namespace orvex_tool {
namespace {

// The name as --layout compares it: lower case, without hyphens.
std::string Folded(const std::string& name) {
    std::string folded;
    for (const char c : name)
        if (c != '-') folded += char(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

std::string Upper(std::string s) {
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Scripts written before the library named its methods call cubic-float "cubic".
constexpr const char* kCubicAlias = "cubic";

std::vector<uint8_t> MosaicBytes(const Raster& m) {
    std::vector<uint8_t> bytes(m.samples.size() * (m.Wide() ? 2 : 1));
    for (size_t i = 0; i < m.samples.size(); ++i) {
        if (m.Wide()) {
            bytes[2 * i] = static_cast<uint8_t>(m.samples[i]);
            bytes[2 * i + 1] = static_cast<uint8_t>(m.samples[i] >> 8);
        } else {
            bytes[i] = static_cast<uint8_t>(m.samples[i]);
        }
    }
    return bytes;
}

orvex_image MosaicView(const Raster& m, std::vector<uint8_t>& bytes, uint32_t pattern) {
    orvex_image s{};
    s.data = bytes.data();
    s.width = m.width;
    s.height = m.height;
    s.format = m.Wide() ? ORVEX_MOSAIC16 : ORVEX_MOSAIC8;
    s.pattern = pattern;
    s.bits = m.Wide() ? m.bitDepth : 8;
    return s;
}

std::string Size(const Raster& m) {
    return std::to_string(m.width) + " x " + std::to_string(m.height);
}

// The image layout with the facts of `layout`: the library's rgb, rgba or
// grey format of that sample width.
uint32_t ImageLayout(uint32_t layout) {
    const FormatFacts f = Facts(layout);
    const std::string name = f.channels == 1   ? "gray" + std::to_string(f.bits)
                             : f.channels == 3 ? "rgb" + std::to_string(3 * f.bits)
                                               : "rgba" + std::to_string(4 * f.bits);
    for (const uint32_t code : LayoutCodes())
        if (name == FormatName(code)) return code;
    throw ToolError(kUsageError, std::string("layout ") + FormatName(layout) +
                                     " has no image form; write it to a .raw file");
}

}  // namespace

std::vector<uint32_t> MethodCodes() {
    std::vector<uint32_t> codes;
    for (uint32_t code = 1; orvex_method_name(code) != nullptr; ++code) codes.push_back(code);
    return codes;
}

uint32_t FindMethod(const std::string& name) {
    for (const uint32_t code : MethodCodes())
        if (name == orvex_method_name(code)) return code;
    if (name == kCubicAlias) return ORVEX_CUBIC_FLOAT;
    throw ToolError(kUsageError, "unknown method '" + name + "' (" + MethodList() + ")");
}

std::vector<std::string> MethodChoices() {
    std::vector<std::string> names;
    for (const uint32_t code : MethodCodes()) names.push_back(orvex_method_name(code));
    names.push_back(kCubicAlias);
    return names;
}

std::string MethodList() {
    std::vector<std::string> names;
    for (const uint32_t code : MethodCodes()) {
        names.push_back(orvex_method_name(code));
        if (code == ORVEX_CUBIC_FLOAT) names.back() += std::string(" (also ") + kCubicAlias + ")";
    }
    return Listed(names);
}

std::vector<uint32_t> LayoutCodes() {
    std::vector<uint32_t> codes;
    for (uint32_t i = 0, code; (code = FormatAt(i)) != 0; ++i)
        if (!Facts(code).mosaic) codes.push_back(code);
    return codes;
}

FormatFacts Facts(uint32_t format) {
    FormatFacts facts{};
    QueryFormat(format, &facts);
    return facts;
}

uint32_t FindLayout(const std::string& name) {
    for (const uint32_t code : LayoutCodes())
        if (Folded(name) == Folded(FormatName(code))) return code;
    throw ToolError(kUsageError, "unknown layout '" + name + "' (see 'orvex formats')");
}

uint32_t DefaultLayout(const Raster& mosaic) {
    return mosaic.Wide() ? ORVEX_RGB48 : ORVEX_RGB24;
}

std::vector<std::string> RawFormatChoices() {
    std::vector<std::string> names;
    for (uint32_t i = 0, code; (code = FormatAt(i)) != 0; ++i)
        if (Facts(code).mosaic && code != ORVEX_MOSAIC8 && code != ORVEX_MOSAIC16)
            names.push_back(FormatName(code));
    return names;
}

uint32_t FindRawFormat(const std::string& name) {
    for (uint32_t i = 0, code; (code = FormatAt(i)) != 0; ++i)
        if (Facts(code).mosaic && code != ORVEX_MOSAIC8 && code != ORVEX_MOSAIC16 &&
            name == FormatName(code))
            return code;
    return 0;
}

const std::vector<std::string>& PatternChoices() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (uint32_t p = 0; PatternName(p) != nullptr; ++p) n.push_back(Upper(PatternName(p)));
        return n;
    }();
    return names;
}

uint32_t FindPattern(const std::string& name) {
    const std::vector<std::string>& names = PatternChoices();
    const auto at = std::find(names.begin(), names.end(), Upper(name));
    if (at == names.end())
        throw ToolError(kUsageError, "unknown pattern '" + name + "' (" + Listed(names) + ")");
    return uint32_t(at - names.begin());
}

std::string Listed(const std::vector<std::string>& names) {
    std::string text;
    for (size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
    return text;
}

std::vector<uint8_t> Demosaic(const Raster& mosaic, uint32_t pattern, uint32_t method,
                              uint32_t layout, const std::string& source) {
    if (mosaic.channels != 1)
        throw ToolError(kInputError, source +
                                         ": a mosaic has one sample per pixel, this image has " +
                                         std::to_string(mosaic.channels));
    std::vector<uint8_t> src = MosaicBytes(mosaic);
    const orvex_image s = MosaicView(mosaic, src, pattern);
    const size_t bytes = orvex_image_bytes(layout, s.width, s.height);
    if (bytes == 0)
        throw ToolError(kInputError, source + ": " + Size(mosaic) + " is too large for layout " +
                                         FormatName(layout));
    std::vector<uint8_t> dst(bytes);
    orvex_image d{};
    d.data = dst.data();
    d.width = s.width;
    d.height = s.height;
    d.format = layout;
    orvex_options options;
    orvex_init_options(&options);
    options.threads = 1;  // a batch converts files in parallel instead
    if (const int status = orvex_demosaic(&s, &d, method, &options); status != ORVEX_OK)
        throw ToolError(status == ORVEX_ERROR_UNSUPPORTED ? kUsageError : kInputError,
                        source + ": " + Size(mosaic) + " " + orvex_method_name(method) + " into " +
                            FormatName(layout) + ": " + orvex_status_text(status));
    return dst;
}

Raster ImageOf(const std::vector<uint8_t>& bytes, uint32_t layout, const Raster& mosaic) {
    const FormatFacts f = Facts(layout);
    Raster r;
    r.width = mosaic.width;
    r.height = mosaic.height;
    r.channels = f.channels;
    // The methods keep the mosaic's range; 8-bit layouts narrow it to 8 bits.
    r.bitDepth = f.bits == 8 ? 8 : mosaic.bitDepth;
    r.samples.resize(size_t(r.width) * r.height * r.channels);
    for (size_t i = 0; i < r.samples.size(); ++i)
        r.samples[i] = f.bits == 8 ? bytes[i] : uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return r;
}

Raster DemosaicImage(const Raster& mosaic, uint32_t pattern, uint32_t method, uint32_t layout,
                     const std::string& source) {
    const uint32_t image = ImageLayout(layout);
    return ImageOf(Demosaic(mosaic, pattern, method, image, source), image, mosaic);
}

Raster ZoomMosaic(const Raster& mosaic, uint32_t pattern, const std::string& source) {
    if (mosaic.channels != 1)
        throw ToolError(kInputError, source + ": a mosaic has one sample per pixel");
    std::vector<uint8_t> src = MosaicBytes(mosaic);
    const orvex_image s = MosaicView(mosaic, src, pattern);
    const size_t bytes =
        mosaic.height > UINT32_MAX / 2 ? 0 : orvex_image_bytes(s.format, s.width, 2 * s.height);
    if (bytes == 0)
        throw ToolError(kInputError, source + ": " + Size(mosaic) + " is too large to zoom");
    Raster out = mosaic;
    out.height = mosaic.height * 2;
    std::vector<uint8_t> dst(bytes);
    orvex_image d = s;
    d.data = dst.data();
    d.height = out.height;
    orvex_options options;
    orvex_init_options(&options);
    options.threads = 1;
    if (const int status = orvex_zoom_vertical(&s, &d, &options); status != ORVEX_OK)
        throw ToolError(kInputError,
                        source + ": " + Size(mosaic) + " zoom: " + orvex_status_text(status));
    out.samples.resize(size_t(out.width) * out.height);
    for (size_t i = 0; i < out.samples.size(); ++i)
        out.samples[i] = mosaic.Wide() ? uint16_t(dst[2 * i] | dst[2 * i + 1] << 8) : dst[i];
    return out;
}

}  // namespace orvex_tool
