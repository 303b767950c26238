// The exports' cubic methods admit one conversion per process at a time;
// the others wait, polling every 250 ms. Hosts of the exports may rely on
// it; the conversions themselves need no such gate.
#pragma once

#include <atomic>
#include <cstdint>

#include "orvex.h"

namespace orvex {

// 1 while a cubic conversion of the exports runs, else 0.
std::atomic<int32_t>& CubicGate();

using CubicMethod = int32_t (*)(const ImageDesc& src, const ImageDesc& dst);

// Runs a cubic method inside the gate. Conversions it refuses return at
// once, without waiting for the gate.
int32_t RunGatedCubic(CubicMethod method, const ImageDesc& src, const ImageDesc& dst);

}  // namespace orvex
