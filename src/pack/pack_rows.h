// The pack stage: every method produces its colour pixels in one internal
// form, three arrays of 16-bit samples (R, G, B, one value per pixel,
// already within the output's sample range), and the stage writes them into
// a row of any colour layout. The layouts' facts come from the one layout
// table; a new layout needs a row there and nothing here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/formats.h"
#include "core/image_view.h"
#include "simd/simd.h"

namespace orvex {

// One output row: for packed layouts at[0] is the row's first byte; for
// planar ones at[c] is the row of plane c (in the layout's plane order).
struct PackRow {
    uint8_t* at[3];
};

// Writes pixels first .. first + n - 1 of a row from r[0 .. n - 1], g, b,
// and alpha into every pixel where the kernel writes alpha.
using PackRowFn = void (*)(const PackRow& row, size_t first, size_t n, const uint16_t* r,
                           const uint16_t* g, const uint16_t* b, uint16_t alpha);

// The kernels one build compiles, by [format - kFirstColourFormat][writes alpha].
struct PackSet {
    PackRowFn rows[kColourLayoutCount][2];
};

extern const PackSet kPackPortable, kPackAvx2;

// How a call packs its rows, settled once: the destination's layout, the
// kernel for it, and whether alpha is written (with which value) or left
// as the caller's buffer held it.
class PackPlan {
  public:
    // A view of a colour layout; Valid() is false for other formats.
    PackPlan(const ImageView& dst, bool writeAlpha, uint16_t alpha, SimdLevel level);

    bool Valid() const { return kernel_ != nullptr; }
    const ChannelLayout& Layout() const { return *layout_; }
    PackRow Row(size_t y) const;
    // The row layout of the same pixels at another address (packed layouts:
    // a staging buffer holding one row).
    static PackRow PackedAt(uint8_t* pixels) { return {{pixels, nullptr, nullptr}}; }

    void Put(const PackRow& row, size_t first, size_t n, const uint16_t* r, const uint16_t* g,
             const uint16_t* b) const {
        kernel_(row, first, n, r, g, b, alpha_);
    }

  private:
    const ChannelLayout* layout_ = nullptr;
    PackRowFn kernel_ = nullptr;
    uint8_t* data_ = nullptr;
    ptrdiff_t stride_ = 0, planeStride_ = 0;
    uint16_t alpha_ = 0;
};

}  // namespace orvex
