// Recombination of four whole planes, row by row: the plain form the banded
// drivers are checked against.
#include "cubic/plane_recombine_whole.h"

#include "cubic/plane_recombine.h"

namespace orvex {

bool RecombinePlanes(const ImageDesc& dst, const PlaneImage planes[4], uint32_t format,
                     uint32_t width, uint32_t height, uint32_t pattern) {
    if (format < BGR24 || format > RGB24 || pattern > BGGR || width == 0 || height == 0)
        return true;
    // RGB48 skips plane row 0 and copies output row 1 into row 0.
    const bool rowZeroCopied = format == RGB48;
    if (rowZeroCopied && height < 2) return true;
    for (uint32_t y = rowZeroCopied ? 1 : 0; y < height; ++y) {
        const uint16_t* rows[4];
        for (int p = 0; p < 4; ++p) rows[p] = PlaneRow(planes[p], uint16_t(y));
        RecombinePlaneRow(dst, rows, format, width, y, pattern);
    }
    if (rowZeroCopied) CopyRecombinedRowOneToZero(dst, width);
    return true;
}

}  // namespace orvex
