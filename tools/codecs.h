// Encoders and decoders of the tool's containers, in memory. The file and
// stream handling around them is in image_io.cpp (reading) and
// image_write.cpp (writing).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image_io.h"

namespace orvex_tool {

// Netpbm P5 (grey) and P6 (colour). Samples above the maxval are clamped to
// it and counted in `clamped`.
Raster DecodePnm(const std::vector<uint8_t>& bytes, const std::string& name,
                 const InputLimits& limits, size_t& clamped);
std::vector<uint8_t> EncodePnm(const Raster& image);

Raster DecodePng(const std::vector<uint8_t>& bytes, const std::string& name,
                 const InputLimits& limits);
std::vector<uint8_t> EncodePng(const Raster& image, int level);

Raster DecodeTiff(const std::vector<uint8_t>& bytes, const std::string& name,
                  const InputLimits& limits);
// Into memory (streams cannot seek), or into an open file, which is closed.
std::vector<uint8_t> EncodeTiff(const Raster& image, const std::string& name);
void WriteTiff(int fd, const Raster& image, const std::string& name);

}  // namespace orvex_tool
