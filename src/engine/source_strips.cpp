#include "engine/source_strips.h"

#include <algorithm>
#include <new>

namespace orvex::engine {

StripRun::StripRun(std::unique_ptr<MethodRun> method, const SourceRows& rows, uint32_t reach,
                   uint32_t stripRows)
    : method_(std::move(method)),
      rows_(rows),
      reach_(reach),
      stripRows_(stripRows),
      bytes_(rows.WorkingFormat() == kFormatMosaic8) {}

bool StripRun::Prepare() {
    if (!method_->Prepare()) return false;
    try {
        const size_t rows = size_t(stripRows_) + 2 * size_t(reach_), w = rows_.Frame().width;
        if (bytes_)
            narrow_.assign(rows * w, 0);
        else
            samples_.assign(rows * w, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void StripRun::Convert(const Conversion& band) {
    const SourceView& f = rows_.Frame();
    const size_t width = f.width, height = f.height;
    const size_t end = size_t(band.y) + band.dst.height;
    for (size_t a = band.y; a < end; a += stripRows_) {
        const size_t b = std::min(end, a + stripRows_);
        // The frame rows the strip's output reads, reflected ones included:
        // reflection about an edge lands within the reach of it.
        const size_t low = a >= reach_ ? a - reach_ : 0;
        const size_t high = std::min(height, b + reach_);
        const size_t rowBytes = width * (bytes_ ? 1 : 2);
        for (size_t r = low; r < high; ++r) {
            if (bytes_)
                rows_.ReadBytes(r, narrow_.data() + (r - low) * width);
            else
                rows_.Read(r, samples_.data() + (r - low) * width);
        }
        const uint8_t* strip =
            bytes_ ? narrow_.data() : reinterpret_cast<const uint8_t*>(samples_.data());
        Conversion part = band;
        part.frame = {strip,    ptrdiff_t(rowBytes),   0,         f.width,
                      f.height, rows_.WorkingFormat(), f.pattern, ptrdiff_t(low)};
        part.y = uint32_t(a);
        part.dst.data = band.dst.Row(a - band.y);
        part.dst.height = uint32_t(b - a);
        method_->Convert(part);
    }
}

}  // namespace orvex::engine
