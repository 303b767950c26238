/* Compiles the public header as C and converts one cell through the shared library. */
#include <stdio.h>
#include <string.h>

#include "orvex.h"

int main(void) {
    unsigned char mosaic[4] = {10, 20, 30, 40};
    unsigned char rgb[12];
    static const unsigned char expected[12] = {10, 25, 40, 10, 25, 40, 10, 25, 40, 10, 25, 40};
    ImageDesc src, dst;
    memset(&src, 0, sizeof src);
    memset(&dst, 0, sizeof dst);
    src.data = mosaic;
    src.format = Bayer8;
    src.width = 2;
    src.height = 2;
    src.bitDepth = 8;
    src.bayerPattern = RGGB;
    dst.data = rgb;
    dst.format = RGB24;
    Orvex_BayerToRgb(MethodBlock, &src, &dst);
    if (dst.size != Orvex_CalcImageSize(RGB24, 2, 2) || memcmp(rgb, expected, sizeof rgb) != 0) {
        fprintf(stderr, "block conversion through the C interface failed\n");
        return 1;
    }
    return 0;
}
