#include "camera_tone.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orvex_camera {

double AutoBrightness(const std::vector<uint16_t>& rgb, double fraction) {
    constexpr size_t kBins = 0x2000;  // levels in steps of 8
    std::vector<std::array<size_t, 3>> histogram(kBins, std::array<size_t, 3>{});
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        for (size_t c = 0; c < 3; ++c) ++histogram[rgb[i + c] >> 3][c];
    const double allowed = double(rgb.size() / 3) * fraction;
    size_t white = 0;
    for (size_t c = 0; c < 3; ++c) {
        size_t bin = kBins, total = 0;
        while (--bin > 32)
            if ((total += histogram[bin][c]) > allowed) break;
        white = std::max(white, bin);
    }
    return 65535.0 / double(white << 3);
}

namespace {

double Curve(Transfer curve, double x) {
    switch (curve) {
        case Transfer::kLinear:
            return x;
        case Transfer::kBt709: {
            // The linear toe meets the power segment with equal value and
            // slope at these constants.
            constexpr double kAlpha = 1.09929682680944, kBeta = 0.018053968510807;
            return x < kBeta ? 4.5 * x : kAlpha * std::pow(x, 0.45) - (kAlpha - 1);
        }
        case Transfer::kSrgb:
            break;
    }
    return x <= 0.0031308 ? 12.92 * x : 1.055 * std::pow(x, 1 / 2.4) - 0.055;
}

}  // namespace

std::vector<uint16_t> ToneTable(double gain, Transfer curve, uint32_t bits) {
    const double top = bits == 16 ? 65535.0 : 255.0;
    std::vector<uint16_t> table(65536);
    for (size_t v = 0; v < table.size(); ++v) {
        const double x = std::min(1.0, double(v) * gain / 65535.0);
        table[v] = uint16_t(std::lround(Curve(curve, x) * top));
    }
    return table;
}

}  // namespace orvex_camera
