// The packed mosaic formats cameras send: how many samples a group of
// bytes holds, and the bytes a row of a width takes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image_view.h"

namespace orvex {

struct Packing {
    uint32_t format;  // FormatCode
    uint32_t bits;    // significant bits of a sample
    // A group of `groupSamples` samples fills `groupBytes` bytes; a bit
    // stream's row ends after its last sample's byte, any width.
    uint32_t groupSamples, groupBytes;
    bool bitStream;
};

inline constexpr Packing kPackings[] = {
    {kFormatMosaic10Mipi, 10, 4, 5, false}, {kFormatMosaic12Mipi, 12, 2, 3, false},
    {kFormatMosaic14Mipi, 14, 4, 7, false}, {kFormatMosaic10Pfnc, 10, 4, 5, true},
    {kFormatMosaic12Pfnc, 12, 2, 3, true},  {kFormatMosaic12Gige, 12, 2, 3, false},
};

// The packing of a format, or null for formats of whole bytes per sample.
inline const Packing* FindPacking(uint32_t format) {
    for (const Packing& p : kPackings)
        if (p.format == format) return &p;
    return nullptr;
}

// Bytes of a row of `width` samples; 0 when the packing cannot hold that
// width in whole bytes. Widths below 2^32 cannot overflow.
inline uint64_t PackedRowBytes(const Packing& p, uint64_t width) {
    if (p.bitStream) return (width * p.bits + 7) / 8;
    if (width % p.groupSamples != 0) return 0;
    return width / p.groupSamples * p.groupBytes;
}

}  // namespace orvex
