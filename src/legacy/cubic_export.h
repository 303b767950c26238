// The two cubic methods as the demosaic export runs them: its checks, its
// descriptors read as contiguous views, and its gate, which admits one cubic
// conversion per process at a time while the others wait, polling every
// 250 ms. Hosts of the exports may rely on the gate; the conversions
// themselves need none.
#pragma once

#include <atomic>
#include <cstdint>

#include "methods/cubic/cubic_memory.h"
#include "orvex.h"

namespace orvex {

// 1 while a cubic conversion of the export runs, else 0.
std::atomic<int32_t>& CubicGate();

// 0 after a complete conversion; kCubicFailed, with nothing written, for a
// conversion the export refuses or a failed allocation. Refusals return at
// once, without waiting for the gate. The destination descriptor's bitDepth
// sets the samples' ceiling.
int32_t RunCubicExport(bool fixed, const ImageDesc& src, const ImageDesc& dst, CubicMemory& memory);

}  // namespace orvex
