// Single-channel 16-bit images that carry the colour planes of the cubic
// methods, and the split of a mosaic into its four half-size planes.
#pragma once

#include <cstdint>

#include "methods/cubic/plane_recombine.h"
#include "orvex.h"

namespace orvex {

// A plane record may be copied by value; a copy shares the samples and is
// never released. Rows lie width x bytesPerSample samples apart.
struct PlaneImage {
    int16_t width;
    int16_t height;
    uint16_t headerSize;
    int16_t bytesPerSample;
    uint16_t* data;
};

PlaneImage* CreatePlane(int32_t width, int32_t height);
uint16_t* PlaneRow(const PlaneImage& plane, uint16_t row);
void CopyPlaneRow(const PlaneImage& plane, uint16_t row, uint16_t* dst);
void GetPlaneSize(const PlaneImage& plane, int16_t& width, int16_t& height);
void ReleasePlane(PlaneImage* plane);

// Creates four planes in index order; on failure releases those created and
// leaves no reference to them in the set.
bool CreatePlaneSet(PlaneImage* set[4], int32_t width, int32_t height);

// Splits a Bayer8 or Bayer16 mosaic into PlaneR, PlaneB, PlaneGr, PlaneGb of
// planeWidth x planeHeight. Fails (and releases its planes) for other formats.
bool SplitBayerPlanes(const ImageDesc& src, PlaneImage* set[4], int32_t planeWidth,
                      int32_t planeHeight, uint32_t rowStride, uint32_t srcHeight,
                      uint32_t pattern);

}  // namespace orvex
