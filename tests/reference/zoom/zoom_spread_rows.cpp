// Spread pass of the zoom: source rows 2k, 2k+1 to destination rows 4k, 4k+3.
#include <cstddef>
#include <cstring>

#include "zoom/zoom_run_kernels.h"

namespace orvex {
namespace {

void SpreadRows(const uint8_t* src, uint8_t* dst, uint32_t width, uint32_t height,
                size_t sampleBytes) {
    const size_t row = size_t(width) * sampleBytes;
    for (size_t y = 0; y < height; ++y) {
        const size_t target = 2 * y + (y & 1);
        std::memcpy(dst + target * row, src + y * row, row);
    }
}

}  // namespace

void ZoomSpreadRows8(const uint8_t* srcData, uint8_t* dstData, uint32_t width, uint32_t height) {
    SpreadRows(srcData, dstData, width, height, 1);
}

void ZoomSpreadRows16(const uint8_t* srcData, uint8_t* dstData, uint32_t width, uint32_t height) {
    SpreadRows(srcData, dstData, width, height, 2);
}

}  // namespace orvex
