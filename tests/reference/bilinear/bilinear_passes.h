// The plain four-pass form of the bilinear demosaic, the fused rows' reference.
#pragma once

#include <cstdint>

namespace orvex {

// The four phase passes in their fixed order. Channel positions are
// those of output pixel (0, 0); step is the distance between consecutive
// pixels of one channel, in samples. The 16-bit driver takes byte addresses
// of 16-bit samples.
void BilinearDemosaic8(uint32_t pattern, const uint8_t* src, uint16_t width, uint16_t height,
                       uint8_t* r, uint8_t* g, uint8_t* b, uint8_t step);
void BilinearDemosaic16(uint32_t pattern, const uint8_t* src, uint16_t width, uint16_t height,
                        uint8_t* r, uint8_t* g, uint8_t* b, uint8_t step);

// Pass kernels: cells sites per row, every second site of every second row,
// starting at the mosaic site `first` and the output positions out0..out2.
// At red/blue sites: out0 = cross mean, out1 = centre, out2 = diagonal mean.
// At green sites: out0 = vertical mean, out1 = centre, out2 = horizontal mean.
using BilinearPassKernel = void (*)(const uint8_t* first, uint16_t width, uint16_t height,
                                    uint16_t cells, uint16_t rowPairs, uint8_t* out0, uint8_t* out1,
                                    uint8_t* out2, uint8_t step, uint8_t pass);

void BilinearAtRedBlue8(const uint8_t* first, uint16_t width, uint16_t height, uint16_t cells,
                        uint16_t rowPairs, uint8_t* out0, uint8_t* out1, uint8_t* out2,
                        uint8_t step, uint8_t pass);
void BilinearAtGreen8(const uint8_t* first, uint16_t width, uint16_t height, uint16_t cells,
                      uint16_t rowPairs, uint8_t* out0, uint8_t* out1, uint8_t* out2, uint8_t step,
                      uint8_t pass);
void BilinearAtRedBlue16(const uint8_t* first, uint16_t width, uint16_t height, uint16_t cells,
                         uint16_t rowPairs, uint8_t* out0, uint8_t* out1, uint8_t* out2,
                         uint8_t step, uint8_t pass);
void BilinearAtGreen16(const uint8_t* first, uint16_t width, uint16_t height, uint16_t cells,
                       uint16_t rowPairs, uint8_t* out0, uint8_t* out1, uint8_t* out2, uint8_t step,
                       uint8_t pass);

}  // namespace orvex
