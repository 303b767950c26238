// Split of a mosaic into its four half-size colour planes.
#include <cstddef>

#include "core/samples.h"
#include "cubic/plane_image.h"

namespace orvex {
namespace {

// Column dx and row dy of the red sample inside the 2x2 cell.
struct RedPosition {
    uint8_t dx, dy;
};
constexpr RedPosition kRedPositions[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};

template <class S>
void SplitRows(const uint8_t* mosaic, PlaneImage* const set[4], size_t planeWidth,
               size_t planeHeight, size_t rowStride, RedPosition red) {
    const size_t dx = red.dx, dy = red.dy;
    auto row = [&](size_t y) { return mosaic + y * rowStride * S::kBytes; };
    for (size_t k = 0; k < planeHeight; ++k) {
        const uint8_t* redRow = row(2 * k + dy);
        const uint8_t* blueRow = row(2 * k + 1 - dy);
        uint16_t* r = PlaneRow(*set[PlaneR], uint16_t(k));
        uint16_t* b = PlaneRow(*set[PlaneB], uint16_t(k));
        uint16_t* gr = PlaneRow(*set[PlaneGr], uint16_t(k));
        uint16_t* gb = PlaneRow(*set[PlaneGb], uint16_t(k));
        for (size_t l = 0; l < planeWidth; ++l) {
            r[l] = static_cast<uint16_t>(S::Load(redRow, 2 * l + dx));
            b[l] = static_cast<uint16_t>(S::Load(blueRow, 2 * l + 1 - dx));
            gr[l] = static_cast<uint16_t>(S::Load(redRow, 2 * l + 1 - dx));
            gb[l] = static_cast<uint16_t>(S::Load(blueRow, 2 * l + dx));
        }
    }
}

}  // namespace

bool SplitBayerPlanes(const ImageDesc& src, PlaneImage* set[4], int32_t planeWidth,
                      int32_t planeHeight, uint32_t rowStride, uint32_t /*srcHeight*/,
                      uint32_t pattern) {
    if (!CreatePlaneSet(set, planeWidth, planeHeight)) return false;
    const bool wide = src.format == Bayer16;
    if ((!wide && src.format != Bayer8) || pattern > BGGR) {
        for (int i = 0; i < 4; ++i) {
            ReleasePlane(set[i]);
            set[i] = nullptr;
        }
        return false;
    }
    const auto* mosaic = static_cast<const uint8_t*>(src.data);
    const auto pw = size_t(uint16_t(planeWidth)), ph = size_t(uint16_t(planeHeight));
    if (wide)
        SplitRows<Sample16>(mosaic, set, pw, ph, rowStride, kRedPositions[pattern]);
    else
        SplitRows<Sample8>(mosaic, set, pw, ph, rowStride, kRedPositions[pattern]);
    return true;
}

}  // namespace orvex
