// One demosaic call as the methods receive it: the whole mosaic, the
// region of it to produce, and where the pixels go. The interfaces settle
// everything here before a method runs.
#pragma once

#include <cstdint>

#include "core/image_view.h"

namespace orvex {

class ColourStage;

// How samples reach the output and what happens to alpha.
struct PackOptions {
    bool writeAlpha;  // else alpha keeps what the caller's buffer held
    uint16_t alpha;
    // Significant bits of the method's samples. 0: samples are stored as
    // they are (the low byte into 8-bit outputs); 9..16 into an 8-bit
    // output: narrowed with rounding.
    uint32_t sourceBits;
    // Matrix and transfer curve on the way, in place of the narrowing (the
    // call owns it); null: none.
    const ColourStage* colour = nullptr;
    // 16-bit outputs of samples below 16 bits: widened to the whole range,
    // round(v * 65535 / (2^sourceBits - 1)).
    bool fullRange = false;
};

struct Conversion {
    SourceView frame;  // the whole mosaic: its edges are the image's edges
    uint32_t x, y;     // the region's top-left pixel in the frame
    ImageView dst;     // the region's pixels: its width and height are the region's
    PackOptions pack;
    // The frame's outermost rows and columns, where a method's neighbours
    // run out: written by reflection about the edge sample (x = -1 reads
    // x = 1), or left as the caller's buffer held them.
    bool reflectEdges;
    uint32_t maxValue;  // the largest sample the method may produce (cubic)
};

// The whole frame into dst of its size, with nothing beyond the method's
// own rule: alpha and the frame's edges left as the buffer held them,
// samples stored as they are.
inline Conversion WholeFrame(const SourceView& src, const ImageView& dst, uint32_t maxValue = 0) {
    return {src, 0, 0, dst, {false, 0, 0}, false, maxValue};
}

}  // namespace orvex
