/* Converts a mosaic into a padded, bottom-up BGRA image, then one region of
 * it into a small RGB image, and checks the region against the whole. */
#include <stdio.h>
#include <string.h>

#include "orvex2.h"

enum { W = 64, H = 48, PAD = 16 };

int main(void) {
    static unsigned char mosaic[H][W];
    static unsigned char bgra[H][W * 4 + PAD]; /* rows padded, stored bottom row first */
    static unsigned char tile[5][7 * 3];       /* 7 x 5 pixels of RGB */
    orvex_image src = {0}, dst = {0}, region = {0};
    orvex_options options;
    int x, y, status;

    for (y = 0; y < H; ++y)
        for (x = 0; x < W; ++x) mosaic[y][x] = (unsigned char)(x * 3 + y * 5);

    src.data = mosaic;
    src.stride = 0; /* rows packed */
    src.width = W;
    src.height = H;
    src.format = ORVEX_MOSAIC8;
    src.pattern = ORVEX_RGGB;

    dst.data = bgra[H - 1]; /* row 0 is the last row in memory */
    dst.stride = -(ptrdiff_t)sizeof bgra[0];
    dst.width = W;
    dst.height = H;
    dst.format = ORVEX_BGRA32;

    orvex_init_options(&options);
    options.alpha = 200;
    status = orvex_demosaic(&src, &dst, ORVEX_BILINEAR, &options);
    if (status != ORVEX_OK) {
        fprintf(stderr, "demosaic: %s\n", orvex_status_text(status));
        return 1;
    }

    /* The 7 x 5 pixels whose top-left one is (11, 20): an odd column, so
     * the region starts on a green site. */
    region.data = tile;
    region.width = 7;
    region.height = 5;
    region.format = ORVEX_RGB24;
    status = orvex_demosaic_region(&src, 11, 20, &region, ORVEX_BILINEAR, NULL);
    if (status != ORVEX_OK) {
        fprintf(stderr, "region: %s\n", orvex_status_text(status));
        return 1;
    }
    for (y = 0; y < 5; ++y)
        for (x = 0; x < 7; ++x) {
            const unsigned char* whole = &bgra[H - 1 - (20 + y)][(11 + x) * 4];
            const unsigned char* part = &tile[y][x * 3];
            if (part[0] != whole[2] || part[1] != whole[1] || part[2] != whole[0] ||
                whole[3] != 200) {
                fprintf(stderr, "pixel (%d, %d) differs\n", 11 + x, 20 + y);
                return 1;
            }
        }
    printf("orvex %s: %s converted %dx%d and a 7x5 region\n", orvex_version(),
           orvex_method_name(ORVEX_BILINEAR), W, H);
    return 0;
}
