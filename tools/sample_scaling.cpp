#include "sample_scaling.h"

#include <string>
#include <utility>
#include <vector>

namespace orvex_tool {

Raster ForContainer(Raster data, Container container, const SampleOptions& options) {
    if (container == Container::Raw) return data;
    const uint32_t d = data.bitDepth;
    const bool netpbm = container == Container::Pgm || container == Container::Ppm;
    Raster out = std::move(data);
    if (!options.scale) {
        if (options.bits && options.bits < d)
            throw ToolError(kUsageError, "--no-scale keeps " + std::to_string(d) +
                                             "-bit values, which " + std::to_string(options.bits) +
                                             "-bit samples cannot hold");
        if (options.bits) out.storedBits = options.bits;
        return out;
    }
    const uint32_t b = options.bits ? options.bits : netpbm ? d : (d > 8 ? 16 : 8);
    out.bitDepth = b;
    out.storedBits = 0;
    out.significantBits = b > d ? d : 0;
    if (b == d) return out;
    // One division per possible value rather than per sample.
    const uint64_t from = (1u << d) - 1, to = (1u << b) - 1;
    std::vector<uint16_t> table(size_t(from) + 1);
    for (uint64_t v = 0; v <= from; ++v) table[v] = uint16_t((v * to + from / 2) / from);
    for (uint16_t& v : out.samples) v = table[v > from ? from : v];
    return out;
}

}  // namespace orvex_tool
