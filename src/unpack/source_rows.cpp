#include "unpack/source_rows.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/samples.h"
#include "simd/kernel_table.h"
#include "unpack/correct_rows.h"

namespace orvex {
namespace {

// The first packing stands in where a frame has none (never called then).
const Packing& PackingOr(const Packing* p) {
    return p != nullptr ? *p : *FindPacking(kFormatMosaic10Mipi);
}

}  // namespace

bool MakeSiteCorrection(const uint32_t (&black)[4], uint32_t white, const float (&gain)[4],
                        uint32_t bits, SiteCorrection& out) {
    const uint32_t maxValue = (1u << bits) - 1;
    const uint32_t top = white == 0 ? maxValue : white;
    out = {};
    out.maxValue = maxValue;
    for (size_t c = 0; c < 4; ++c) {
        if (black[c] >= top || !std::isfinite(gain[c]) || gain[c] < 0) return false;
        out.black[c] = float(black[c]);
        // Huge gains saturate every sample above black.
        const double scale = double(gain[c]) * maxValue / double(top - black[c]);
        out.scale[c] = float(std::min(scale, double(std::numeric_limits<float>::max())));
        out.active = out.active || black[c] != 0 || top != maxValue || gain[c] != 1.0f;
    }
    return true;
}

ORVEX_CORRECT_SET(kCorrectRowPortable, )

SourceRows::SourceRows(const SourceView& frame, const SiteCorrection& correction,
                       SimdFeatures level)
    : frame_(frame),
      correction_(correction),
      packing_(FindPacking(frame.format)),
      unpacker_(PackingOr(packing_), level),
      correct_([level] {
          static const KernelImpl<CorrectRowFn> kSets[] = {{Isa::Avx512, &kCorrectRowAvx512},
                                                           {Isa::Avx2, &kCorrectRowAvx2},
                                                           {kPortable, &kCorrectRowPortable}};
          return WidestOf(kSets, level, [](const CorrectRowFn& f) { return f; });
      }()),
      lookup_([level] {
          static const KernelImpl<LookupBytesFn> kSets[] = {
              {{Isa::Avx512, Isa::Vbmi}, &kLookupBytesVbmi}, {Isa::Neon, &kLookupBytesNeon}};
          return WidestOf(kSets, level, [](const LookupBytesFn& f) { return f; });
      }()) {
    // Corrected 8-bit rows only: uncorrected ones never pass through here.
    if (frame.format != kFormatMosaic8 || !correction.active) return;
    const float limit = float(correction.maxValue);
    for (size_t c = 0; c < 4; ++c)
        for (uint32_t s = 0; s < 256; ++s)
            corrected_[c][s] =
                uint8_t(Corrected(s, correction.black[c], correction.scale[c], limit));
}

bool SourceRows::Needed() const {
    return packing_ != nullptr || correction_.active;
}

void SourceRows::Read(size_t y, uint16_t* out) const {
    const uint8_t* row = frame_.Row(y);
    const size_t w = frame_.width;
    if (packing_ != nullptr) {
        unpacker_.Unpack(row, w, out);
    } else if (frame_.format == kFormatMosaic16) {
        std::memcpy(out, row, 2 * w);
    } else {
        for (size_t x = 0; x < w; ++x) out[x] = row[x];
    }
    if (correction_.active) correct_(correction_, y, out, w);
}

void SourceRows::ReadBytes(size_t y, uint8_t* out) const {
    const uint8_t* row = frame_.Row(y);
    const uint8_t* even = corrected_[(y & 1) * 2];
    const uint8_t* odd = corrected_[(y & 1) * 2 + 1];
    const size_t w = frame_.width;
    size_t x = lookup_ != nullptr ? lookup_(even, odd, row, w, out) : 0;
    for (; x + 2 <= w; x += 2) {
        out[x] = even[row[x]];
        out[x + 1] = odd[row[x + 1]];
    }
    if (x < w) out[x] = even[row[x]];
}

}  // namespace orvex
