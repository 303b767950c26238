// Row unpackers: the samples of one bit-packed row as 16-bit values, each
// packing by its own loop (portable), with vector kernels where speed
// matters continuing ahead of it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/formats.h"
#include "simd/kernel_table.h"
#include "simd/simd.h"

namespace orvex {

// Samples 0 .. width - 1 of a row of the packing into out.
using UnpackRowFn = void (*)(const uint8_t* row, size_t width, uint16_t* out);

// Vector kernels: whole groups from sample `from` on, while the row's bytes
// last; returns the first sample left to the next kernel.
using UnpackVectorFn = size_t (*)(const uint8_t* row, size_t from, size_t width, uint16_t* out);

struct UnpackVectorSet {
    UnpackVectorFn mipi10, mipi12;
};
extern const UnpackVectorSet kUnpackVectorsAvx2;
// AVX-512 with byte permutes (VBMI), asked of the processor separately.
extern const UnpackVectorSet kUnpackVectorsVbmi;
extern const UnpackVectorSet kUnpackVectorsNeon;

// How one call unpacks its rows, settled once.
class RowUnpacker {
  public:
    RowUnpacker(const Packing& packing, SimdFeatures level);
    void Unpack(const uint8_t* row, size_t width, uint16_t* out) const;

  private:
    UnpackRowFn portable_;
    KernelChain<UnpackVectorFn> vectors_;
    uint32_t groupSamples_, groupBytes_;
};

}  // namespace orvex
