// DNGs written with libtiff for the tool's camera tests.
#pragma once

#include <cstdint>
#include <string>

namespace orvex_test {

// A DNG of a 12-bit mosaic as cameras write it: the pattern, black levels
// per site, white level, as-shot neutral, a colour matrix whose camera RGB
// is linear sRGB, and an orientation; left half a grey of linear value
// `left`, right half `right`. linear: three samples a pixel instead;
// asShot: an AsShotNeutral tag; baselineExposure: a BaselineExposure tag
// unless 0.
void WriteDng(const std::string& path, uint32_t pattern, uint16_t orientation, double left,
              double right, bool linear = false, bool asShot = true, float baselineExposure = 0);

}  // namespace orvex_test
