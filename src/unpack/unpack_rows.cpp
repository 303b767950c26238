// The portable row unpackers, one loop per packing as its layout is
// written, and the choice of vector kernels.
#include "unpack/unpack_rows.h"

namespace orvex {
namespace {

// MIPI RAW10: bytes 0-3 the high 8 bits of samples 0-3, byte 4 their low 2
// bits from bit 0 up.
void Mipi10(const uint8_t* row, size_t width, uint16_t* out) {
    for (size_t k = 0; k < width; k += 4, row += 5)
        for (size_t i = 0; i < 4; ++i)
            out[k + i] = uint16_t(row[i] << 2 | ((row[4] >> (2 * i)) & 3));
}

// MIPI RAW12: bytes 0-1 the high 8 bits of samples 0-1, byte 2 their low
// 4 bits, sample 0's below.
void Mipi12(const uint8_t* row, size_t width, uint16_t* out) {
    for (size_t k = 0; k < width; k += 2, row += 3) {
        out[k] = uint16_t(row[0] << 4 | (row[2] & 0x0F));
        out[k + 1] = uint16_t(row[1] << 4 | row[2] >> 4);
    }
}

// MIPI RAW14: bytes 0-3 the high 8 bits of samples 0-3, bytes 4-6 their
// low 6 bits as one little-endian 24-bit field, sample 0's lowest.
void Mipi14(const uint8_t* row, size_t width, uint16_t* out) {
    for (size_t k = 0; k < width; k += 4, row += 7) {
        const uint32_t low = uint32_t(row[4]) | uint32_t(row[5]) << 8 | uint32_t(row[6]) << 16;
        for (size_t i = 0; i < 4; ++i)
            out[k + i] = uint16_t(row[i] << 6 | ((low >> (6 * i)) & 0x3F));
    }
}

// GenICam bit streams: sample i in bits N i .. N i + N - 1, little-endian.
// Each sample lies within the two bytes from bit (N i) / 8 on.
template <uint32_t kBits>
void Pfnc(const uint8_t* row, size_t width, uint16_t* out) {
    for (size_t k = 0; k < width; ++k) {
        const size_t bit = k * kBits, at = bit / 8;
        const uint32_t two = uint32_t(row[at]) | uint32_t(row[at + 1]) << 8;
        out[k] = uint16_t((two >> (bit % 8)) & ((1u << kBits) - 1));
    }
}

// GigE Vision 12-bit packed: byte 0 sample 0's high 8 bits, byte 1 the low
// 4 bits of sample 1 (high nibble) and sample 0, byte 2 sample 1's high 8.
void Gige12(const uint8_t* row, size_t width, uint16_t* out) {
    for (size_t k = 0; k < width; k += 2, row += 3) {
        out[k] = uint16_t(row[0] << 4 | (row[1] & 0x0F));
        out[k + 1] = uint16_t(row[2] << 4 | row[1] >> 4);
    }
}

// 16-bit samples high byte first: swapped into the host's order.
void BigEndian16(const uint8_t* row, size_t width, uint16_t* out) {
    for (size_t k = 0; k < width; ++k) out[k] = uint16_t(row[2 * k] << 8 | row[2 * k + 1]);
}

UnpackRowFn PortableOf(uint32_t format) {
    switch (format) {
        case kFormatMosaic10Mipi:
            return Mipi10;
        case kFormatMosaic12Mipi:
            return Mipi12;
        case kFormatMosaic14Mipi:
            return Mipi14;
        case kFormatMosaic10Pfnc:
            return Pfnc<10>;
        case kFormatMosaic12Pfnc:
            return Pfnc<12>;
        case kFormatMosaic16Be:
            return BigEndian16;
        default:
            return Gige12;
    }
}

}  // namespace

RowUnpacker::RowUnpacker(const Packing& packing, SimdFeatures level)
    : portable_(PortableOf(packing.format)),
      groupSamples_(packing.groupSamples),
      groupBytes_(packing.groupBytes) {
    static const KernelImpl<UnpackVectorSet> sets[] = {
        {{Isa::Avx512, Isa::Vbmi}, &kUnpackVectorsVbmi},
        {Isa::Avx2, &kUnpackVectorsAvx2},
        {Isa::Neon, &kUnpackVectorsNeon}};
    const uint32_t format = packing.format;
    vectors_ = ChainOf(sets, level, [format](const UnpackVectorSet& s) {
        return format == kFormatMosaic10Mipi   ? s.mipi10
               : format == kFormatMosaic12Mipi ? s.mipi12
                                               : UnpackVectorFn(nullptr);
    });
}

void RowUnpacker::Unpack(const uint8_t* row, size_t width, uint16_t* out) const {
    const size_t done =
        vectors_.Run(0, [&](UnpackVectorFn f, size_t from) { return f(row, from, width, out); });
    // Vector kernels (of grouped packings only) stop at a group's start.
    portable_(row + done / groupSamples_ * groupBytes_, width - done, out + done);
}

}  // namespace orvex
