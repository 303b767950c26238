// Pass kernels of the bilinear demosaic. The nine neighbourhood positions are
// separate running pointers advanced in lock-step, so a row of cells is one
// straight loop without branches.
#include <cstddef>

#include "api/samples.h"
#include "bilinear/bilinear_demosaic.h"

namespace orvex {
namespace {

struct Neighbourhood {
    uint32_t ul, u, ur, l, c, r, dl, d, dr;
};

struct AtRedBlue {
    static void Values(const Neighbourhood& n, uint32_t& v0, uint32_t& v1, uint32_t& v2) {
        v0 = (n.l + n.r + n.u + n.d + 2) >> 2;
        v1 = n.c;
        v2 = (n.ul + n.ur + n.dl + n.dr + 2) >> 2;
    }
};

struct AtGreen {
    static void Values(const Neighbourhood& n, uint32_t& v0, uint32_t& v1, uint32_t& v2) {
        v0 = (n.u + n.d + 1) >> 1;
        v1 = n.c;
        v2 = (n.l + n.r + 1) >> 1;
    }
};

template <class S, class Site>
void BilinearPass(const uint8_t* first, uint16_t width, uint16_t cells, uint16_t rowPairs,
                  uint8_t* out0, uint8_t* out1, uint8_t* out2, uint8_t step) {
    const ptrdiff_t b = S::kBytes;
    const ptrdiff_t w = width;
    // Each row of the pass starts two mosaic rows below the previous one.
    const size_t advance = 2 * size_t(width);
    const size_t outStep = step;
    for (size_t j = 0; j < rowPairs; ++j) {
        const uint8_t* c = first + ptrdiff_t(j * advance) * b;
        const uint8_t* u = c - w * b;
        const uint8_t* d = c + w * b;
        const size_t o = j * advance * outStep;
        uint8_t* o0 = out0 + o * S::kBytes;
        uint8_t* o1 = out1 + o * S::kBytes;
        uint8_t* o2 = out2 + o * S::kBytes;
        for (size_t i = 0, s = 0; i < cells; ++i, s += 2) {
            const Neighbourhood n{S::Load(u - b, s), S::Load(u, s), S::Load(u + b, s),
                                  S::Load(c - b, s), S::Load(c, s), S::Load(c + b, s),
                                  S::Load(d - b, s), S::Load(d, s), S::Load(d + b, s)};
            uint32_t v0, v1, v2;
            Site::Values(n, v0, v1, v2);
            const size_t at = s * outStep;
            S::Store(o0, at, v0);
            S::Store(o1, at, v1);
            S::Store(o2, at, v2);
        }
    }
}

}  // namespace

void BilinearAtRedBlue8(const uint8_t* first, uint16_t width, uint16_t, uint16_t cells,
                        uint16_t rowPairs, uint8_t* out0, uint8_t* out1, uint8_t* out2,
                        uint8_t step, uint8_t) {
    BilinearPass<Sample8, AtRedBlue>(first, width, cells, rowPairs, out0, out1, out2, step);
}

void BilinearAtGreen8(const uint8_t* first, uint16_t width, uint16_t, uint16_t cells,
                      uint16_t rowPairs, uint8_t* out0, uint8_t* out1, uint8_t* out2, uint8_t step,
                      uint8_t) {
    BilinearPass<Sample8, AtGreen>(first, width, cells, rowPairs, out0, out1, out2, step);
}

void BilinearAtRedBlue16(const uint8_t* first, uint16_t width, uint16_t, uint16_t cells,
                         uint16_t rowPairs, uint8_t* out0, uint8_t* out1, uint8_t* out2,
                         uint8_t step, uint8_t) {
    BilinearPass<Sample16, AtRedBlue>(first, width, cells, rowPairs, out0, out1, out2, step);
}

void BilinearAtGreen16(const uint8_t* first, uint16_t width, uint16_t, uint16_t cells,
                       uint16_t rowPairs, uint8_t* out0, uint8_t* out1, uint8_t* out2, uint8_t step,
                       uint8_t) {
    BilinearPass<Sample16, AtGreen>(first, width, cells, rowPairs, out0, out1, out2, step);
}

}  // namespace orvex
