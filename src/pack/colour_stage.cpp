// The portable build of the colour stage's loops, and the stage settled.
#include "pack/colour_stage.h"

#include <cmath>

#include "pack/colour_rows.h"
#include "simd/kernel_table.h"

namespace orvex {

ORVEX_COLOUR_SET(kColourPortable, )
ORVEX_COLOUR_FLOAT_SET(kColourFloatPortable, )

namespace {

double SrgbExact(double y) {
    return y <= 0.0031308 ? 12.92 * y : 1.055 * std::pow(y, 1 / 2.4) - 0.055;
}

// Each segment's quadratic interpolates 255 * curve + 0.5 at the three
// Chebyshev nodes of its mantissa interval.
void FitCurveBytes(float (&curve)[3][kCurveSegments]) {
    const double pi = 3.14159265358979323846;
    for (size_t s = 0; s < kCurveSegments; ++s) {
        const double scale = std::ldexp(1.0, int(s >> 1) - 15);
        const double mid = 1.25 + 0.5 * double(s & 1), half = 0.25;
        double m[3], f[3];
        for (size_t j = 0; j < 3; ++j) {
            m[j] = mid + half * std::cos(double(2 * j + 1) * pi / 6);
            f[j] = 255 * SrgbExact(scale * m[j]) + 0.5;
        }
        // Newton's divided differences, then expanded in powers of m.
        const double d1 = (f[1] - f[0]) / (m[1] - m[0]), d2 = (f[2] - f[1]) / (m[2] - m[1]);
        const double d3 = (d2 - d1) / (m[2] - m[0]);
        curve[2][s] = float(d3);
        curve[1][s] = float(d1 - d3 * (m[0] + m[1]));
        curve[0][s] = float(f[0] - d1 * m[0] + d3 * m[0] * m[1]);
    }
}

}  // namespace

ColourStage::ColourStage(const float (&matrix)[9], Transfer transfer, uint32_t sourceBits,
                         uint32_t outputMax, SimdFeatures level, bool combined)
    : values_{} {
    const float inScale = float(1.0 / double((1u << sourceBits) - 1));
    for (size_t i = 0; i < 9; ++i) values_.matrix[i] = matrix[i] * inScale;
    values_.transfer = transfer;
    values_.outputMax = float(outputMax);
    values_.curveBytes = transfer == Transfer::Srgb && outputMax == 255 && !combined;
    if (values_.curveBytes) FitCurveBytes(values_.curve);
    static const KernelImpl<ColourChunkFn> kSets[] = {
        {Isa::Avx512, &kColourAvx512}, {Isa::Avx2, &kColourAvx2}, {kPortable, &kColourPortable}};
    chunk_ = WidestOf(kSets, level, [](const ColourChunkFn& f) { return f; });
    static const KernelImpl<ColourFloatChunkFn> kFloatSets[] = {{Isa::Avx2, &kColourFloatAvx2},
                                                                {kPortable, &kColourFloatPortable}};
    floats_ = WidestOf(kFloatSets, level, [](const ColourFloatChunkFn& f) { return f; });
    static const KernelImpl<ColourTripleFn> kTriples[] = {{Isa::Avx512, &kColourTripleAvx512}};
    triple_ = WidestOf(kTriples, level, [](const ColourTripleFn& f) { return f; });
}

}  // namespace orvex
