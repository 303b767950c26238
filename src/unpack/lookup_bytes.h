// Byte lookups for corrected 8-bit rows: the even columns of a row through
// one table, the odd ones through another.
#pragma once

#include <cstddef>
#include <cstdint>

#include "simd/simd.h"

namespace orvex {

// Looks up whole vectors of samples from column 0 on; returns the first
// column left to the portable loop (columns start even).
using LookupBytesFn = size_t (*)(const uint8_t* even, const uint8_t* odd, const uint8_t* row,
                                 size_t n, uint8_t* out);
extern const LookupBytesFn kLookupBytesVbmi, kLookupBytesNeon;

}  // namespace orvex
