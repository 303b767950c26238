#include <cctype>

#include "codecs.h"

namespace orvex_tool {
namespace {

[[noreturn]] void Bad(const std::string& name, const std::string& what) {
    throw ToolError(kInputError, name + ": " + what);
}

uint32_t BitsFor(uint32_t maxValue) {
    uint32_t bits = 1;
    while ((1u << bits) - 1 < maxValue) ++bits;
    return bits;
}

struct PnmHeader {
    char kind;
    uint32_t width, height, maxValue;
    size_t dataOffset;
};

PnmHeader ParseHeader(const std::vector<uint8_t>& b, const std::string& name) {
    size_t pos = 2;
    uint32_t fields[3];
    for (uint32_t& field : fields) {
        while (pos < b.size() && (std::isspace(b[pos]) || b[pos] == '#')) {
            if (b[pos] == '#')
                while (pos < b.size() && b[pos] != '\n') ++pos;
            else
                ++pos;
        }
        if (pos >= b.size() || !std::isdigit(b[pos])) Bad(name, "bad PNM header");
        uint64_t v = 0;
        while (pos < b.size() && std::isdigit(b[pos])) {
            v = v * 10 + (b[pos++] - '0');
            if (v > UINT32_MAX) Bad(name, "bad PNM header");
        }
        field = static_cast<uint32_t>(v);
    }
    if (pos >= b.size() || !std::isspace(b[pos])) Bad(name, "bad PNM header");
    if (fields[2] == 0 || fields[2] > 65535) Bad(name, "PNM maximum value must be 1 to 65535");
    return {static_cast<char>(b[1]), fields[0], fields[1], fields[2], pos + 1};
}

}  // namespace

Raster DecodePnm(const std::vector<uint8_t>& b, const std::string& name, const InputLimits& limits,
                 size_t& clamped) {
    const PnmHeader h = ParseHeader(b, name);
    CheckPixels(name, h.width, h.height, limits);
    Raster r;
    r.width = h.width;
    r.height = h.height;
    r.channels = h.kind == '6' ? 3 : 1;
    r.bitDepth = BitsFor(h.maxValue);
    const size_t bytesPerSample = h.maxValue > 255 ? 2 : 1;
    const uint64_t count = uint64_t(r.width) * r.height * r.channels;
    if ((b.size() - h.dataOffset) / bytesPerSample < count)
        Bad(name, "truncated: fewer samples than the header announces");
    AllocateSamples(r, name);
    const uint8_t* p = b.data() + h.dataOffset;
    clamped = 0;
    for (size_t i = 0; i < count; ++i) {  // 16-bit Netpbm samples are big-endian
        const uint16_t v = bytesPerSample == 2 ? uint16_t(p[2 * i] << 8 | p[2 * i + 1]) : p[i];
        // Any value above the maxval would be out of range for every reader.
        clamped += v > h.maxValue;
        r.samples[i] = v > h.maxValue ? uint16_t(h.maxValue) : v;
    }
    return r;
}

std::vector<uint8_t> EncodePnm(const Raster& r) {
    const bool colour = r.channels >= 3;
    const uint32_t maxValue = (1u << r.bitDepth) - 1;
    const std::string header = std::string(colour ? "P6" : "P5") + "\n" + std::to_string(r.width) +
                               " " + std::to_string(r.height) + "\n" + std::to_string(maxValue) +
                               "\n";
    const size_t channels = colour ? 3 : 1;  // P6 has no alpha
    const size_t bytesPerSample = maxValue > 255 ? 2 : 1;
    std::vector<uint8_t> out(header.begin(), header.end());
    out.reserve(out.size() + size_t(r.width) * r.height * channels * bytesPerSample);
    for (size_t i = 0; i < size_t(r.width) * r.height; ++i)
        for (size_t c = 0; c < channels; ++c) {
            const uint16_t v = r.samples[i * r.channels + c];
            if (bytesPerSample == 2) out.push_back(static_cast<uint8_t>(v >> 8));
            out.push_back(static_cast<uint8_t>(v));
        }
    return out;
}

}  // namespace orvex_tool
