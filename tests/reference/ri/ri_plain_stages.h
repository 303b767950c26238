// The stages of the plain residual-interpolation demosaic on one strip's
// window: the line differences and green, then red and blue.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace orvex {
namespace ri_plain {

// Gaussian of sigma 2 over nine samples, exp(-k^2 / 8) normalised.
inline constexpr float kLowPass[9] = {0.02763055f, 0.06628224f, 0.12383153f,
                                      0.18017390f, 0.20416368f, 0.18017390f,
                                      0.12383153f, 0.06628224f, 0.02763055f};
inline float LowPass9(const float* a) {
    return (kLowPass[0] * (a[0] + a[8]) + kLowPass[1] * (a[1] + a[7])) +
           (kLowPass[2] * (a[2] + a[6]) + kLowPass[3] * (a[3] + a[5])) + kLowPass[4] * a[4];
}
inline float Sum9(const float* a) {
    return ((a[0] + a[1]) + (a[2] + a[3])) + ((a[4] + a[5]) + (a[6] + a[7])) + a[8];
}

struct Plane {
    std::vector<float> v;
    size_t w = 0;
    float& operator()(ptrdiff_t x, ptrdiff_t y) { return v[size_t(y) * w + size_t(x)]; }
};

struct Strip {
    size_t ww, wh;
    ptrdiff_t left, top;
    size_t redColumn, redRow;
    float limit, floor, varFloor, gradientFloor;
    int Colour(ptrdiff_t x, ptrdiff_t y) const {  // 0 red, 1 green, 2 blue
        const bool rr = size_t((top + y) & 1) == redRow;
        const bool rc = size_t((left + x) & 1) == redColumn;
        return rr == rc ? (rr ? 0 : 2) : 1;
    }
    Plane New() const { return Plane{std::vector<float>(ww * wh, 0.0f), ww}; }
    float Clip(float v) const { return std::min(std::max(v, 0.0f), limit); }
};

// Green minus the line's colour at every site, estimated along rows (dx = 1)
// or columns (dy = 1) by residual interpolation.
Plane LineDifferences(const Strip& s, Plane& m, ptrdiff_t dx, ptrdiff_t dy);
// Green at colour sites from the sample and both directions' differences.
Plane Green(const Strip& s, Plane& m, Plane& dh, Plane& dv);
// Red (colour 0) or blue (2) everywhere from the full green.
Plane Colour(const Strip& s, Plane& m, Plane& g, int colour);

}  // namespace ri_plain
}  // namespace orvex
