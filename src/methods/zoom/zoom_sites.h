// Site formulas of the zoom, shared by the interior run kernels and the
// border pass. Every routine takes pointers to the run's first site in the
// row it writes and in the rows it reads; sites of a run are two samples apart.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvex::zoom {

// Colour sites weighted 2 : 1 between two copied rows of the same phase. The
// first site takes the value of the run's first middle site.
template <class S>
void ColourRun(uint8_t* out, const uint8_t* heavy, const uint8_t* light, size_t n, bool hasLast) {
    auto v = [&](size_t c) { return (2 * S::Load(heavy, c) + S::Load(light, c) + 2) / 3; };
    S::Store(out, 0, v(2));
    for (size_t i = 1; i <= n; ++i) S::Store(out, 2 * i, v(2 * i));
    if (hasLast) S::Store(out, 2 * n + 2, v(2 * n + 2));
}

// Green sites from the same column S and the diagonal row Q, in thirds.
template <class S>
void GreenRun(uint8_t* out, const uint8_t* s, const uint8_t* q, size_t n, bool firstIsMiddle,
              bool hasLast) {
    auto middle = [&](size_t c) {
        return (S::Load(q - 2 * S::kBytes, c + 1) + S::Load(s, c) + S::Load(q, c + 1) + 2) / 3;
    };
    const uint32_t first = firstIsMiddle ? middle(0) : (S::Load(s, 0) + 2 * S::Load(q, 1) + 2) / 3;
    S::Store(out, 0, first);
    for (size_t i = 1; i <= n; ++i) S::Store(out, 2 * i, middle(2 * i));
    if (hasLast) {
        const size_t c = 2 * n + 2;
        S::Store(out, c, (S::Load(s, c) + 2 * S::Load(q, c - 1) + 2) / 3);
    }
}

// Green sites of the bottom odd-phase border row, from the diagonal row alone.
template <class S>
void GreenPairRun(uint8_t* out, const uint8_t* q, size_t n, bool firstIsMiddle, bool hasLast) {
    auto pair = [&](size_t c) {
        return (S::Load(q - 2 * S::kBytes, c + 1) + S::Load(q, c + 1) + 1) / 2;
    };
    S::Store(out, 0, firstIsMiddle ? pair(0) : S::Load(q, 1));
    for (size_t i = 1; i <= n; ++i) S::Store(out, 2 * i, pair(2 * i));
    if (hasLast) S::Store(out, 2 * n + 2, S::Load(q, 2 * n + 1));
}

// Colour sites of a border row: copies of the nearest copied row of their phase.
template <class S>
void CopyRun(uint8_t* out, const uint8_t* from, size_t count) {
    for (size_t i = 0; i < count; ++i) S::Store(out, 2 * i, S::Load(from, 2 * i));
}

}  // namespace orvex::zoom
