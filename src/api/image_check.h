// The second interface's images checked and turned into the core's views.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image_view.h"
#include "orvex2.h"

namespace orvex::api {

// A checked image: its view, and the bytes it spans, [low, high).
struct CheckedImage {
    ImageView view;
    uint32_t bits;  // significant bits of a mosaic's samples (8 for 8-bit ones)
    uintptr_t low, high;

    // A mosaic's view as the methods read it.
    SourceView Source() const {
        return {view.data, view.stride, 0, view.width, view.height, view.format, view.pattern};
    }
};

enum class Role { Mosaic, Output };

// ORVEX_OK and the checked image, or the status that says what is wrong:
// a null pointer or unknown code (ARGUMENT), a format of the other role
// (UNSUPPORTED), an empty image, a stride shorter than a row, planes that
// overlap or bytes beyond the address space (SIZE).
int CheckImage(const orvex_image* image, Role role, CheckedImage& out);

// True when two images share a byte.
inline bool Overlap(const CheckedImage& a, const CheckedImage& b) {
    return a.low < b.high && b.low < a.high;
}

}  // namespace orvex::api
