// Cell kernels of the block demosaic.
//
// Every written triple comes from four mosaic sites: rows T (top) and B
// (bottom), columns L (left) and R (right). A regular cell has T = y, B = y + 1,
// L = x, R = x + 1; an odd last column mirrors to L = w - 1, R = w - 2 and an
// odd last row to T = h - 1, B = h - 2, so the same cell rule serves all three.
#include <cstddef>

#include "api/samples.h"
#include "block/block_demosaic.h"

namespace orvex {
namespace {

struct Triple {
    uint32_t top, green, bottom;
};

// Colour corner (RGGB, BGGR): the top colour sits at (T, L).
struct ColourCorner {
    template <class S>
    static Triple Cell(const uint8_t* rowT, const uint8_t* rowB, size_t l, size_t r) {
        return {S::Load(rowT, l), (S::Load(rowB, l) + S::Load(rowT, r)) >> 1, S::Load(rowB, r)};
    }
};

// Green corner (GRBG, GBRG): greens at (T, L) and (B, R).
struct GreenCorner {
    template <class S>
    static Triple Cell(const uint8_t* rowT, const uint8_t* rowB, size_t l, size_t r) {
        return {S::Load(rowT, r), (S::Load(rowT, l) + S::Load(rowB, r)) >> 1, S::Load(rowB, l)};
    }
};

template <class S>
struct Channels {
    uint8_t* top;
    uint8_t* green;
    uint8_t* bottom;
    size_t step;

    void Put(size_t pixel, const Triple& t) const {
        const size_t at = pixel * step;
        S::Store(top, at, t.top);
        S::Store(green, at, t.green);
        S::Store(bottom, at, t.bottom);
    }
};

template <class S, class Corner>
void BlockCells(const uint8_t* src, uint16_t width, uint16_t height, uint8_t* top, uint8_t* green,
                uint8_t* bottom, uint8_t pixelStep) {
    const size_t w = width;
    const size_t h = height;
    // Narrower or shorter than a cell: the odd rules would read outside the mosaic.
    if (w < 2 || h < 2) return;
    const Channels<S> out{top, green, bottom, pixelStep};
    const size_t ew = w & ~size_t(1);
    const size_t eh = h & ~size_t(1);
    const size_t q = w - 1;
    auto row = [&](size_t i) { return src + i * w * S::kBytes; };

    for (size_t y = 0; y < eh; y += 2) {
        const uint8_t* rowT = row(y);
        const uint8_t* rowB = row(y + 1);
        const size_t p0 = y * w;
        const size_t p1 = p0 + w;
        for (size_t x = 0; x < ew; x += 2) {
            const Triple t = Corner::template Cell<S>(rowT, rowB, x, x + 1);
            out.Put(p0 + x, t);
            out.Put(p0 + x + 1, t);
            out.Put(p1 + x, t);
            out.Put(p1 + x + 1, t);
        }
        if (w & 1) {
            const Triple t = Corner::template Cell<S>(rowT, rowB, q, q - 1);
            out.Put(p0 + q, t);
            out.Put(p1 + q, t);
        }
    }
    if (h & 1) {
        const size_t r = h - 1;
        const uint8_t* rowT = row(r);
        const uint8_t* rowB = row(r - 1);
        const size_t p0 = r * w;
        for (size_t x = 0; x < ew; x += 2) {
            const Triple t = Corner::template Cell<S>(rowT, rowB, x, x + 1);
            out.Put(p0 + x, t);
            out.Put(p0 + x + 1, t);
        }
        if (w & 1) out.Put(p0 + q, Corner::template Cell<S>(rowT, rowB, q, q - 1));
    }
}

}  // namespace

void BlockCellsColourCorner8(const uint8_t* src, uint16_t width, uint16_t height, uint8_t* top,
                             uint8_t* green, uint8_t* bottom, uint8_t pixelStep) {
    BlockCells<Sample8, ColourCorner>(src, width, height, top, green, bottom, pixelStep);
}

void BlockCellsGreenCorner8(const uint8_t* src, uint16_t width, uint16_t height, uint8_t* top,
                            uint8_t* green, uint8_t* bottom, uint8_t pixelStep) {
    BlockCells<Sample8, GreenCorner>(src, width, height, top, green, bottom, pixelStep);
}

void BlockCellsColourCorner16(const uint8_t* src, uint16_t width, uint16_t height, uint8_t* top,
                              uint8_t* green, uint8_t* bottom, uint8_t pixelStep) {
    BlockCells<Sample16, ColourCorner>(src, width, height, top, green, bottom, pixelStep);
}

void BlockCellsGreenCorner16(const uint8_t* src, uint16_t width, uint16_t height, uint8_t* top,
                             uint8_t* green, uint8_t* bottom, uint8_t pixelStep) {
    BlockCells<Sample16, GreenCorner>(src, width, height, top, green, bottom, pixelStep);
}

}  // namespace orvex
