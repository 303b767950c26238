// How closely the tool's development of a camera file agrees with LibRaw's
// own, both with the file's white balance and matrix, the sRGB curve, no
// brightening and highlights clipped: the mean absolute difference per
// channel of the 8-bit pictures. The methods differ (LibRaw: AHD, the tool:
// dlmmse), so edges differ too; flat areas show the colour agreement. Also
// the time of each of the tool's steps.
#include <libraw/libraw.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>

#include "camera_raw.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: libraw_agreement FILE...\n");
        return 2;
    }
    for (int i = 1; i < argc; ++i) {
        auto raw = std::make_unique<LibRaw>();
        libraw_output_params_t& p = raw->imgdata.params;
        p.use_camera_wb = 1;
        p.no_auto_bright = 1;
        p.output_bps = 8;
        p.output_color = 1;  // sRGB
        p.gamm[0] = 1 / 2.4;
        p.gamm[1] = 12.92;
        p.highlight = 0;  // clip
        p.user_qual = 3;  // AHD
        int err = 0;
        libraw_processed_image_t* image = nullptr;
        if (raw->open_file(argv[i]) != LIBRAW_SUCCESS || raw->unpack() != LIBRAW_SUCCESS ||
            raw->dcraw_process() != LIBRAW_SUCCESS ||
            (image = raw->dcraw_make_mem_image(&err)) == nullptr) {
            std::fprintf(stderr, "%s: LibRaw could not develop it\n", argv[i]);
            return 3;
        }
        // The tool's steps, timed on one thread: LibRaw's reading, the
        // library's conversion, the PNG's writing.
        using Clock = std::chrono::steady_clock;
        const auto t0 = Clock::now();
        const orvex_tool::CameraFile file = orvex_tool::ReadCameraFile(argv[i]);
        const auto t1 = Clock::now();
        orvex_tool::DevelopOptions one;
        one.threads = 1;
        // LibRaw's look above: the white level white, the sRGB curve.
        one.autoBright = false;
        one.curve = "srgb";
        const orvex_tool::Raster ours = orvex_tool::Develop(file, one);
        const auto t2 = Clock::now();
        orvex_tool::WriteImage("/tmp/libraw_agreement.png", ours, orvex_tool::Container::Png, true);
        const auto t3 = Clock::now();
        auto ms = [](auto a, auto b) {
            return std::chrono::duration<double, std::milli>(b - a).count();
        };
        std::printf(
            "%s: reading %.0f ms, converting %.0f ms, writing PNG %.0f ms (conversion %.0f %%)\n",
            argv[i], ms(t0, t1), ms(t1, t2), ms(t2, t3), 100 * ms(t1, t2) / ms(t0, t3));
        if (ours.width != image->width || ours.height != image->height) {
            std::fprintf(stderr, "%s: sizes differ (%u x %u, LibRaw %u x %u)\n", argv[i],
                         ours.width, ours.height, image->width, image->height);
            return 3;
        }
        double sum[3] = {};
        const size_t n = size_t(ours.width) * ours.height;
        for (size_t k = 0; k < n; ++k)
            for (size_t c = 0; c < 3; ++c)
                sum[c] += std::abs(double(ours.samples[3 * k + c]) - image->data[3 * k + c]);
        std::printf("%s: mean absolute difference R %.2f, G %.2f, B %.2f (8-bit)\n", argv[i],
                    sum[0] / n, sum[1] / n, sum[2] / n);
        LibRaw::dcraw_clear_mem(image);
    }
    return 0;
}
