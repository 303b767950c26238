// Recombination of four whole planes, row by row: the plain form the banded
// drivers are checked against.
#include "cubic/plane_recombine_whole.h"

#include <cstring>

#include "methods/cubic/plane_recombine.h"
#include "pack/pack_rows.h"

namespace orvex {

bool RecombinePlanes(const ImageDesc& dst, const PlaneImage planes[4], uint32_t format,
                     uint32_t width, uint32_t height, uint32_t pattern, SimdFeatures level) {
    if (format < BGR24 || format > RGB24 || pattern > BGGR || width == 0 || height == 0)
        return true;
    // RGB48 skips plane row 0 and copies output row 1 into row 0.
    const bool rowZeroCopied = format == RGB48;
    if (rowZeroCopied && height < 2) return true;
    auto* base = static_cast<uint8_t*>(dst.data);
    const size_t rowBytes = size_t(width) * (format == RGB48                        ? 6
                                             : format == ARGB32 || format == BGRA32 ? 4
                                                                                    : 3);
    const uint32_t maxValue = dst.bitDepth >= 16 ? 65535u : (uint32_t(1) << dst.bitDepth) - 1;
    const CubicRowKernels kernels = ChooseCubicRows(level);
    const ImageView view{base, ptrdiff_t(rowBytes), 0, width, height, format, pattern};
    const PackPlan pack(view, {true, 255, 0}, level);
    for (uint32_t y = rowZeroCopied ? 1 : 0; y < height; ++y) {
        const uint16_t* rows[4];
        for (int p = 0; p < 4; ++p) rows[p] = PlaneRow(planes[p], uint16_t(y));
        RecombinePlaneRow(pack, pack.Row(view, y), rows, 0, 0, width, pattern, maxValue, kernels);
    }
    if (rowZeroCopied) std::memcpy(base, base + rowBytes, rowBytes);
    return true;
}

}  // namespace orvex
