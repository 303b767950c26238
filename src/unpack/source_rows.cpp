#include "unpack/source_rows.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/samples.h"

namespace orvex {
namespace {

// The first packing stands in where a frame has none (never called then).
const Packing& PackingOr(const Packing* p) {
    return p != nullptr ? *p : kPackings[0];
}

ORVEX_INLINE uint16_t Corrected(uint32_t s, float black, float scale, float limit) {
    // floor(v + 0.5) within 0 .. limit: there the truncation of a
    // non-negative value is its floor.
    const float v = (float(s) - black) * scale + 0.5f;
    const float low = v > 0 ? v : 0;
    return uint16_t(int32_t(low < limit ? low : limit));
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

void CorrectRow(const SiteCorrection& c, size_t y, uint16_t* row, size_t count) {
    // The row's two sites alternate: constants laid out the same way let
    // one plain loop over a block serve both.
    constexpr size_t kBlock = 64;
    const size_t site = (y & 1) * 2;
    float black[kBlock], scale[kBlock];
    for (size_t k = 0; k < kBlock; ++k) {
        black[k] = c.black[site + (k & 1)];
        scale[k] = c.scale[site + (k & 1)];
    }
    const float limit = float(c.maxValue);
    for (size_t x = 0; x < count; x += kBlock) {
        const size_t n = count - x < kBlock ? count - x : kBlock;
        uint16_t* r = row + x;
        for (size_t k = 0; k < n; ++k) r[k] = Corrected(r[k], black[k], scale[k], limit);
    }
}

SourceRows::SourceRows(const SourceView& frame, const SiteCorrection& correction, SimdLevel level)
    : frame_(frame),
      correction_(correction),
      packing_(FindPacking(frame.format)),
      unpacker_(PackingOr(packing_), level),
      lookup_(LookupBytesKernel(level)) {
    if (frame.format != kFormatMosaic8) return;
    const float limit = float(correction.maxValue);
    for (size_t c = 0; c < 4; ++c)
        for (uint32_t s = 0; s < 256; ++s)
            corrected_[c][s] =
                correction.active
                    ? uint8_t(Corrected(s, correction.black[c], correction.scale[c], limit))
                    : uint8_t(s);
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
    if (correction_.active) CorrectRow(correction_, y, out, w);
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
