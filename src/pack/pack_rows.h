// The pack stage: every method produces its colour pixels in one internal
// form, three arrays of 16-bit samples (R, G, B, one value per pixel,
// already within the output's sample range; for floats, the source's), and
// the stage writes them into a row of any colour layout. The layouts' facts come from the one
// layout table; a new layout needs a row there and nothing here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/conversion.h"
#include "core/formats.h"
#include "core/image_view.h"
#include "core/samples.h"
#include "simd/kernel_table.h"

namespace orvex {

// One output row: for packed layouts at[0] is the row's first byte; for
// planar ones at[c] is the row of plane c (in the layout's plane order).
struct PackRow {
    uint8_t* at[3];
};

// What a call's pack does besides placing samples: the alpha it writes, how
// samples wider than an 8-bit output are narrowed: min(255, (v + round) >>
// shift), and the largest sample, which float outputs divide by.
struct PackValues {
    uint16_t alpha;
    uint16_t round;
    uint8_t shift;
    float largest;
};

// A wider sample narrowed into a byte: rounded, clamped to 255.
ORVEX_INLINE uint32_t Narrowed(uint32_t v, uint32_t round, uint32_t shift) {
    const uint32_t q = (v + round) >> shift;
    return q > 255 ? 255u : q;
}

// Writes pixels first .. first + n - 1 of a row from r[0 .. n - 1], g, b,
// and alpha into every pixel where the kernel writes alpha.
using PackRowFn = void (*)(const PackRow& row, size_t first, size_t n, const uint16_t* r,
                           const uint16_t* g, const uint16_t* b, const PackValues& values);

// Writes pixels first .. first + n - 1 of a float layout's row from values
// already in 0 .. 1 (the colour stage's).
using PackFloatFn = void (*)(const PackRow& row, size_t first, size_t n, const float* r,
                             const float* g, const float* b);

// Samples of at most M = 2^bits - 1 widened to the whole 16-bit range:
// out = round(v * scale), scale = 65535 / M, in double precision.
using WidenFn = void (*)(const uint16_t* in, size_t n, double scale, uint16_t* out);

// The kernels one build compiles, by [row of the format table][writes
// alpha][narrows]; null for rows that are not colour layouts. floats: by
// row, null for rows that are not float layouts.
struct PackSet {
    PackRowFn rows[kFormatRowCount][2][2];
    PackFloatFn floats[kFormatRowCount];
    WidenFn widen;
};

extern const PackSet kPackPortable, kPackAvx2, kPackNeon;

// Vector kernels for three-sample pixels from samples stored as they are
// (for bytes, the low byte of each): pixels first + k on, k = from .. in whole vectors
// below n; returns the first k left to the next kernel.
using PackVectorFn = size_t (*)(const PackRow& row, size_t first, size_t from, size_t n,
                                const uint16_t* r, const uint16_t* g, const uint16_t* b);

// One instruction set's vector kernels: three-byte pixels by [R in the
// pixel's first byte], and RGB48 pixels.
// Samples narrowed into bytes, min(255, (v + round) >> shift), from 0 in
// whole vectors; returns the first sample left.
using NarrowFn = size_t (*)(const uint16_t* in, size_t n, uint32_t round, uint32_t shift,
                            uint16_t* out);

struct PackVectorSet {
    PackVectorFn triple8[2];
    PackVectorFn triple16;
    NarrowFn narrow;  // null where the set has none
    // Four-byte pixels with alpha 255 after the channels, by [R first].
    PackVectorFn opaque8[2];
};

extern const PackVectorSet kPackVectorsSsse3, kPackVectorsAvx2;

// How a call packs its rows, settled once and shared by its bands and
// strips: the destination's layout, the kernel for it, and whether alpha is
// written (with which value) or left as the caller's buffer held it. It
// holds no address: each part names the rows it writes.
class PackPlan {
  public:
    // The layout of `dst`, a colour layout (Valid() is false for others).
    PackPlan(const ImageView& dst, const PackOptions& options, SimdFeatures level);

    bool Valid() const { return kernel_ != nullptr; }
    const ChannelLayout& Layout() const { return *layout_; }
    // True when samples change on the way (narrowing, or grey from colour):
    // kernels that write output samples themselves must then stand aside.
    bool Converts() const { return converts_; }
    // How a kernel storing pixels of `sampleBytes`-byte samples may write
    // the layout's rows itself (step 0: it may not).
    DirectPixels Direct(size_t sampleBytes) const {
        return DirectPixelsOf(*layout_, sampleBytes, converts_);
    }
    // Row y of `dst`, a view of the layout the plan was settled for.
    PackRow Row(const ImageView& dst, size_t y) const;
    // The row layout of the same pixels at another address (packed layouts:
    // a staging buffer holding one row).
    static PackRow PackedAt(uint8_t* pixels) { return {{pixels, nullptr, nullptr}}; }

    void Put(const PackRow& row, size_t first, size_t n, const uint16_t* r, const uint16_t* g,
             const uint16_t* b) const {
        if (floats_ != nullptr) return PutColourFloats(row, first, n, r, g, b);
        if (colour_ != nullptr) return PutColour(row, first, n, r, g, b);
        if (widen_ != nullptr) return PutWidened(row, first, n, r, g, b);
        if (narrowFirst_ && !vectors_.Empty()) return PutNarrowed(row, first, n, r, g, b);
        const size_t done = vectors_.Run(
            0, [&](PackVectorFn f, size_t from) { return f(row, first, from, n, r, g, b); });
        if (done < n) kernel_(row, first + done, n - done, r + done, g + done, b + done, values_);
    }

  private:
    void PutColour(const PackRow& row, size_t first, size_t n, const uint16_t* r, const uint16_t* g,
                   const uint16_t* b) const;
    // The colour stage's values into a float layout, unrounded.
    void PutColourFloats(const PackRow& row, size_t first, size_t n, const uint16_t* r,
                         const uint16_t* g, const uint16_t* b) const;
    // Samples narrowed into bytes, then through the vector kernels.
    void PutNarrowed(const PackRow& row, size_t first, size_t n, const uint16_t* r,
                     const uint16_t* g, const uint16_t* b) const;
    // Samples widened to the whole 16-bit range, then packed as they are.
    void PutWidened(const PackRow& row, size_t first, size_t n, const uint16_t* r,
                    const uint16_t* g, const uint16_t* b) const;

    const ColourStage* colour_ = nullptr;
    const ChannelLayout* layout_ = nullptr;
    PackRowFn kernel_ = nullptr;
    PackFloatFn floats_ = nullptr;  // float layouts with a colour stage
    PackValues values_{};
    bool converts_ = false;
    bool tripleBytes_ = false;  // the colour stage may write the pixels itself
    bool narrowFirst_ = false;  // samples are narrowed into bytes on the way
    NarrowFn narrow_ = nullptr;
    WidenFn widen_ = nullptr;  // full-range 16-bit samples
    double widenScale_ = 1;
    KernelChain<PackVectorFn> vectors_;
};

}  // namespace orvex
