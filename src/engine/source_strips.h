// Conversions of mosaics whose rows must be prepared first (bit-packed formats,
// black level, white level, gains): a band's source rows are unpacked and
// corrected a strip at a time into a buffer of 16-bit samples (of bytes for
// 8-bit mosaics, so the methods' byte kernels run), which the method reads
// as the frame's rows, so no copy of the whole frame is ever made.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/method_run.h"
#include "unpack/source_rows.h"

namespace orvex::engine {

class StripRun final : public MethodRun {
  public:
    // `method` prepared for the band; `reach`: the rows beyond its output
    // rows the method reads.
    StripRun(std::unique_ptr<MethodRun> method, const SourceRows& rows, uint32_t reach,
             uint32_t stripRows);
    bool Prepare() override;
    void Convert(const Conversion& band) override;

  private:
    std::unique_ptr<MethodRun> method_;
    const SourceRows& rows_;
    uint32_t reach_, stripRows_;
    bool bytes_;                     // the strip holds 8-bit samples
    std::vector<uint16_t> samples_;  // the strip's rows of 16-bit samples
    std::vector<uint8_t> narrow_;    // or of 8-bit samples
};

// Rows a strip converts at once: enough that re-reading the reach above and
// below a strip costs a few per cent, and at most 384, so a wide reach does
// not make a band's rows several MiB (a method of that reach costs far more
// per row than reading its rows again).
inline uint32_t StripRowsFor(uint32_t reach) {
    return reach * 32 > 384 ? 384 : reach * 32 > 64 ? reach * 32 : 64;
}

}  // namespace orvex::engine
