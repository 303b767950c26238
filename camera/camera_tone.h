// Brightness and transfer curve of a developed camera picture: the linear
// 16-bit samples the library gives, brought to the picture's bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvex_camera {

// The gain that takes the level above which `fraction` of some channel's
// samples lie to white: the brightest channel's top percentile clips, as
// dcraw's automatic brightness has it. Interleaved R, G, B samples. The
// level is found in steps of 8 and never below 256 (a gain of 256 at most).
double AutoBrightness(const std::vector<uint16_t>& rgb, double fraction = 0.01);

// The table that takes every linear sample v to curve(min(1, v * gain /
// 65535)) in 0 .. 2^bits - 1 (bits 8 or 16), rounded.
enum class Transfer { kLinear, kBt709, kSrgb };
std::vector<uint16_t> ToneTable(double gain, Transfer curve, uint32_t bits);

}  // namespace orvex_camera
