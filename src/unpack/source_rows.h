// A mosaic's rows as 16-bit samples, whatever its format: unpacked from
// the bit-packed formats, widened from bytes, and with the black level, white
// level and white-balance gains applied per site, each row as it is read.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image_view.h"
#include "simd/simd.h"
#include "unpack/lookup_bytes.h"
#include "unpack/unpack_rows.h"

namespace orvex {

// Per site of the frame's top-left 2 x 2 cell (top-left, top-right,
// bottom-left, bottom-right): s becomes clamp(round((s - black) * scale),
// 0, maxValue), scale = gain * maxValue / (white - black), in single
// precision.
struct SiteCorrection {
    float black[4];
    float scale[4];
    uint32_t maxValue;
    bool active;  // false: samples pass unchanged
};

// The correction of black levels, white level (0: maxValue) and gains, or
// false when black is at or above white or a gain is not a finite value
// of at least 0.
bool MakeSiteCorrection(const uint32_t (&black)[4], uint32_t white, const float (&gain)[4],
                        uint32_t bits, SiteCorrection& out);

// Corrects samples 0 .. count - 1 of frame row y in place; each build for
// an instruction set gives the same results.
using CorrectRowFn = void (*)(const SiteCorrection& c, size_t y, uint16_t* row, size_t count);
extern const CorrectRowFn kCorrectRowAvx2, kCorrectRowAvx512;

class SourceRows {
  public:
    // A mosaic view of any mosaic format (8-bit, 16-bit or bit-packed).
    SourceRows(const SourceView& frame, const SiteCorrection& correction, SimdFeatures level);

    // True when rows must pass through here: bit-packed, or corrected.
    bool Needed() const;
    const SourceView& Frame() const { return frame_; }
    // The format of the rows a method reads: 8-bit mosaics stay bytes, so
    // the methods' byte kernels run; every other format's are 16-bit.
    uint32_t WorkingFormat() const {
        return frame_.format == kFormatMosaic8 ? kFormatMosaic8 : kFormatMosaic16;
    }
    // Frame row y's samples into out[0 .. width - 1].
    void Read(size_t y, uint16_t* out) const;
    // The same for 8-bit mosaics, as bytes.
    void ReadBytes(size_t y, uint8_t* out) const;

  private:
    SourceView frame_;
    SiteCorrection correction_;
    const Packing* packing_;
    RowUnpacker unpacker_;
    CorrectRowFn correct_;
    // 8-bit mosaics: each site's corrected value of every byte, so a row
    // costs one lookup a sample.
    LookupBytesFn lookup_;
    uint8_t corrected_[4][256];
};

}  // namespace orvex
