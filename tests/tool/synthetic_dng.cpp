// DNGs written with libtiff for the tool's camera tests.
#include "synthetic_dng.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace orvex_test {

void WriteDng(const std::string& path, uint32_t pattern, uint16_t orientation, double left,
              double right, bool linear, bool asShot, float baselineExposure) {
    const uint32_t w = 64, h = 48, white = 4000;
    const float black[4] = {64, 65, 66, 67}, neutral[3] = {0.5f, 1.0f, 0.8f};
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, 0);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(16));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(linear ? 3 : 1));
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, uint16_t(linear ? 34892 : 32803));
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, h);
    TIFFSetField(tif, TIFFTAG_MAKE, "Orvex");
    TIFFSetField(tif, TIFFTAG_MODEL, "Synthetic");
    TIFFSetField(tif, TIFFTAG_ORIENTATION, orientation);
    const uint16_t dims[2] = {2, 2};
    // CFA colours: 0 red, 1 green, 2 blue, for each pattern's cell; 4: C, M, M, Y.
    const uint8_t cells[5][4] = {
        {0, 1, 1, 2}, {1, 0, 2, 1}, {1, 2, 0, 1}, {2, 1, 1, 0}, {3, 4, 4, 5}};
    if (!linear) {
        TIFFSetField(tif, TIFFTAG_CFAREPEATPATTERNDIM, dims);
        TIFFSetField(tif, TIFFTAG_CFAPATTERN, uint16_t(4), cells[pattern]);
    }
    const uint8_t version[4] = {1, 4, 0, 0}, back[4] = {1, 1, 0, 0};
    TIFFSetField(tif, TIFFTAG_DNGVERSION, version);
    TIFFSetField(tif, TIFFTAG_DNGBACKWARDVERSION, back);
    TIFFSetField(tif, TIFFTAG_UNIQUECAMERAMODEL, "Orvex Synthetic");
    TIFFSetField(tif, TIFFTAG_BLACKLEVELREPEATDIM, dims);
    TIFFSetField(tif, TIFFTAG_BLACKLEVEL, uint16_t(4), black);
    TIFFSetField(tif, TIFFTAG_WHITELEVEL, uint16_t(1), &white);
    if (asShot) TIFFSetField(tif, TIFFTAG_ASSHOTNEUTRAL, uint16_t(3), neutral);
    const float xyzToSrgb[9] = {3.2406f, -1.5372f, -0.4986f, -0.9689f, 1.8758f,
                                0.0415f, 0.0557f,  -0.2040f, 1.0570f};
    TIFFSetField(tif, TIFFTAG_COLORMATRIX1, uint16_t(9), xyzToSrgb);
    TIFFSetField(tif, TIFFTAG_CALIBRATIONILLUMINANT1, uint16_t(21));
    if (baselineExposure != 0)
        TIFFSetField(tif, TIFFTAG_BASELINEEXPOSURE, double(baselineExposure));
    std::vector<uint16_t> row(w * (linear ? 3 : 1));
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            const size_t site = (y & 1) * 2 + (x & 1);
            const int colour = std::min<int>(cells[pattern][site], 2);
            // Raw values that the as-shot balance turns into the grey.
            const double value = x < w / 2 ? left : right;
            const double s = black[site] + value * (white - black[site]) * neutral[colour];
            if (linear)
                for (int c = 0; c < 3; ++c) row[3 * x + c] = uint16_t(std::lround(s));
            else
                row[x] = uint16_t(std::lround(s));
        }
        TIFFWriteScanline(tif, row.data(), y);
    }
    TIFFClose(tif);
}

}  // namespace orvex_test
