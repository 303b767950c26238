// The exports' buffers as views: rows contiguous, one after another, as the
// descriptors promise; planes, where a layout has them, planeStride apart.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/formats.h"
#include "core/image_view.h"

namespace orvex {

inline SourceView ContiguousSource(const void* data, uint32_t format, uint32_t width,
                                   uint32_t height, uint32_t pattern) {
    return {static_cast<const uint8_t*>(data),
            ptrdiff_t(ContiguousRowBytes(format, width)),
            0,
            width,
            height,
            format,
            pattern};
}

inline ImageView ContiguousDestination(void* data, uint32_t format, uint32_t width, uint32_t height,
                                       uint32_t pattern, ptrdiff_t planeStride = 0) {
    return {static_cast<uint8_t*>(data),
            ptrdiff_t(ContiguousRowBytes(format, width)),
            planeStride,
            width,
            height,
            format,
            pattern};
}

}  // namespace orvex
