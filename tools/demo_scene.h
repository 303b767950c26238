// The built-in demo input: a synthetic colour scene, its Bayer mosaic, the
// error measure against it and the contact sheet of the results.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image_io.h"

namespace orvex_tool {

// RGB scene in four quadrants: colour bars, a zone plate, slanted edges and
// smooth gradients, with samples of the given bit depth.
Raster SynthesiseScene(uint32_t width, uint32_t height, uint32_t bitDepth);

// Samples the scene through the colour filter of the pattern.
Raster MosaicOf(const Raster& scene, uint32_t pattern);

// Peak signal-to-noise ratio in dB over the colour channels, leaving out a
// border of `border` pixels on every side.
double Psnr(const Raster& reference, const Raster& image, uint32_t border);

// Panels of equal size in rows of `columns`, as one 8-bit RGB image; grey
// panels are shown as grey. Each panel's label, where given, is written into
// its top-left corner, all at the largest size that fits every panel.
Raster ContactSheet(const std::vector<const Raster*>& panels, uint32_t columns,
                    const std::vector<std::string>& labels = {});

}  // namespace orvex_tool
