// Every column computes all the means a site may need, in the sample width:
// a rounded mean of two samples is the unsigned average instruction, and the
// rounded mean of four is the average of the two pair averages, one less
// where both roundings went up without cancelling:
//   (a + b + c + d + 2) >> 2 = avg(p, q) - (((a ^ b) | (c ^ d)) & (p ^ q) & 1)
// with p = avg(a, b), q = avg(c, d). Each channel then picks its value by a
// fixed column-parity mask, and the three channels are interleaved into
// whole pixels (x86: byte shuffles; NEON: interleaving stores).
//
// The kernel body and table shared by every instruction set's file, over
// lane operations O (Load, Avg, Mean4, Colour, Pick) and pixel stores P.
#pragma once

// The kernel body, the same for every width; a macro because each width's
// copy must be compiled for its own instruction set.
#define ORVEX_BILINEAR_ROW_BODY(O)                                                     \
    using V = typename O::V;                                                           \
    constexpr size_t kE = O::kBytes, kStep = O::kColumns;                              \
    const V colour = O::Colour(kEvenColour);                                           \
    for (; x + kStep + 1 <= width; x += kStep) {                                       \
        const V cl = O::Load(c + kE * (x - 1)), cc = O::Load(c + kE * x);              \
        const V cr = O::Load(c + kE * (x + 1));                                        \
        const V uc = O::Load(u + kE * x), dc = O::Load(d + kE * x);                    \
        const V horiz = O::Avg(cl, cr), vert = O::Avg(uc, dc);                         \
        const V cross = O::Mean4(cl, cr, uc, dc);                                      \
        const V diag = O::Mean4(O::Load(u + kE * (x - 1)), O::Load(u + kE * (x + 1)),  \
                                O::Load(d + kE * (x - 1)), O::Load(d + kE * (x + 1))); \
        const V g = O::Pick(cc, cross, colour);                                        \
        const V own = O::Pick(horiz, cc, colour);    /* the row's colour channel */    \
        const V other = O::Pick(vert, diag, colour); /* the other colour channel */    \
        const V r = kRedRow ? own : other, b = kRedRow ? other : own;                  \
        if (kRedFirst)                                                                 \
            P::Store(out + P::kPixelBytes * kE * x, r, g, b);                          \
        else                                                                           \
            P::Store(out + P::kPixelBytes * kE * x, b, g, r);                          \
    }                                                                                  \
    return x;

#define ORVEX_BILINEAR_ROW_ARGS \
    const uint8_t *u, const uint8_t *c, const uint8_t *d, size_t x, size_t width, uint8_t *out

// A set's [red row][even colour][red first] table of one kernel template
// over lane operations O and pixel stores P (P = O: three packed samples;
// the four-byte stores write three bytes of each pixel). Each file defines
// Row for its instruction set.
#define ORVEX_BILINEAR_TABLE(O, P)                                           \
    {                                                                        \
        {{Row<O, P, false, false, false>, Row<O, P, false, false, true>},    \
         {Row<O, P, false, true, false>, Row<O, P, false, true, true>}},     \
        {                                                                    \
            {Row<O, P, true, false, false>, Row<O, P, true, false, true>}, { \
                Row<O, P, true, true, false>, Row<O, P, true, true, true>    \
            }                                                                \
        }                                                                    \
    }
