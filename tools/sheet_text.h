// Labels drawn into images: a built-in 5 x 7 pixel font on 6 x 8 cells, so
// the contact sheet can name its panels without any font files.
#pragma once

#include <cstdint>
#include <string>

#include "image_io.h"

namespace orvex_tool {

// Width and height in pixels of `text` drawn at the given integer scale
// (1 = 6 x 8 cells, spacing included). Both saturate at UINT32_MAX.
uint32_t TextWidth(const std::string& text, uint32_t scale);
uint32_t TextHeight(uint32_t scale);

// Draws `text` with its top-left corner at (x, y) on a 3-channel raster, on a
// dark backing box one scale-unit larger on every side so it reads on any
// picture; the text is drawn in `value` (for all three channels), the box in 0.
// Pixels falling outside the raster are skipped. Characters outside 32..126
// show as a small hollow box; empty text or scale 0 draws nothing.
void DrawLabel(Raster& image, uint32_t x, uint32_t y, const std::string& text, uint32_t scale,
               uint16_t value);

}  // namespace orvex_tool
