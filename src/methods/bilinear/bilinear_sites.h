// The bilinear means of single sites, by kind: the interior rows' scalar
// runs and the frame's edges, where neighbours are read by reflection.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image_view.h"
#include "core/mirror.h"
#include "core/samples.h"

namespace orvex {
namespace {

enum SiteKind { RedSite, BlueSite, GreenOnRedRow, GreenOnBlueRow };

// The channel values of one site of a kind, from the means it needs; its
// left and right neighbours are columns xl and xr (x - 1 and x + 1 inside
// the frame, the reflected column at its edges).
template <class S, SiteKind kKind>
ORVEX_INLINE void SiteValues(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t x,
                             size_t xl, size_t xr, uint16_t& r, uint16_t& g, uint16_t& b) {
    const uint32_t l = S::Load(c, xl), rt = S::Load(c, xr);
    const uint32_t up = S::Load(u, x), down = S::Load(d, x);
    const auto centre = static_cast<uint16_t>(S::Load(c, x));
    if constexpr (kKind == RedSite || kKind == BlueSite) {
        const auto cross = static_cast<uint16_t>((l + rt + up + down + 2) >> 2);
        const auto diag = static_cast<uint16_t>(
            (S::Load(u, xl) + S::Load(u, xr) + S::Load(d, xl) + S::Load(d, xr) + 2) >> 2);
        r = kKind == RedSite ? centre : diag;
        g = cross;
        b = kKind == RedSite ? diag : centre;
    } else {
        const auto horiz = static_cast<uint16_t>((l + rt + 1) >> 1);
        const auto vert = static_cast<uint16_t>((up + down + 1) >> 1);
        r = kKind == GreenOnRedRow ? horiz : vert;
        g = centre;
        b = kKind == GreenOnRedRow ? vert : horiz;
    }
}

template <class S, SiteKind kKind>
ORVEX_INLINE void SiteValues(const uint8_t* u, const uint8_t* c, const uint8_t* d, size_t x,
                             uint16_t& r, uint16_t& g, uint16_t& b) {
    SiteValues<S, kKind>(u, c, d, x, x - 1, x + 1, r, g, b);
}

// The kind of frame site (x, y) under a pattern: red at column p & 1 of row
// p >> 1 of the 2 x 2 cell.
inline SiteKind KindAt(uint32_t pattern, size_t x, size_t y) {
    const bool redColumn = (x & 1) == (pattern & 1), redRow = (y & 1) == (pattern >> 1);
    if (redRow) return redColumn ? RedSite : GreenOnRedRow;
    return redColumn ? GreenOnBlueRow : BlueSite;
}

// One site of frame row y whose rows above and below are u and d (the
// reflected ones at the frame's top and bottom), its neighbours' columns
// reflected at the frame's left and right edges.
template <class S>
ORVEX_INLINE void EdgeSite(const SourceView& f, const uint8_t* u, const uint8_t* c,
                           const uint8_t* d, size_t x, size_t y, uint16_t& r, uint16_t& g,
                           uint16_t& b) {
    const size_t xl = MirrorIndex(ptrdiff_t(x) - 1, f.width),
                 xr = MirrorIndex(ptrdiff_t(x) + 1, f.width);
    switch (KindAt(f.pattern, x, y)) {
        case RedSite:
            return SiteValues<S, RedSite>(u, c, d, x, xl, xr, r, g, b);
        case BlueSite:
            return SiteValues<S, BlueSite>(u, c, d, x, xl, xr, r, g, b);
        case GreenOnRedRow:
            return SiteValues<S, GreenOnRedRow>(u, c, d, x, xl, xr, r, g, b);
        case GreenOnBlueRow:
            return SiteValues<S, GreenOnBlueRow>(u, c, d, x, xl, xr, r, g, b);
    }
}

}  // namespace
}  // namespace orvex
