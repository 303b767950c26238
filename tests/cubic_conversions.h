// The cubic methods through the export, into guarded buffers, for the cubic
// tests.
#pragma once

#include <vector>

#include "legacy/cubic_export.h"
#include "methods/cubic/cubic_memory.h"
#include "orvex.h"
#include "test_support.h"

namespace cubic_test {

using namespace orvex;
using namespace testsupport;

inline const std::vector<LayoutRef> kPackedLayouts = {ColourLayouts()[2], ColourLayouts()[3],
                                                      ColourLayouts()[4], ColourLayouts()[5],
                                                      ColourLayouts()[6]};

struct Converted {
    int32_t result;
    std::vector<uint8_t> bytes;
    bool guardsIntact;
};

// Through the export, or with `memory` through the export's cubic path,
// which then allocates from it.
inline Converted Convert(uint32_t method, const uint8_t* mosaic, uint32_t srcFormat, size_t w,
                         size_t h, uint32_t pattern, uint32_t dstFormat, uint16_t bitDepth,
                         bool odd = false, CubicMemory* memory = nullptr) {
    GuardedBuffer out(Orvex_CalcImageSize(dstFormat, w, h), odd);
    ImageDesc src = MakeDesc(const_cast<uint8_t*>(mosaic), srcFormat, w, h, bitDepth, pattern);
    if (memory != nullptr) {
        const ImageDesc dst = MakeDesc(out.data(), dstFormat, w, h, bitDepth, 0);
        const int32_t result = RunCubicExport(method == MethodBicubicFixed, src, dst, *memory);
        return {result, out.Payload(), out.GuardsIntact()};
    }
    ImageDesc dst = MakeDesc(out.data(), dstFormat, 0, 0, 0, 0);
    const int32_t result = Orvex_BayerToRgb(method, &src, &dst);
    return {result, out.Payload(), out.GuardsIntact()};
}

}  // namespace cubic_test
