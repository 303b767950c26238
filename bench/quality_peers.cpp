// The quality benchmark with other libraries' methods beside ours: OpenCV's
// bilinear, edge-aware and VNG conversions and, when built with libdc1394,
// its HQLINEAR and AHD methods, each measured on the same mosaics by the
// same code as `orvex evaluate`, one thread each.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstring>
#include <iostream>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "evaluate.h"
#include "image_io.h"

#if ORVEX_QUALITY_DC1394
#include <dc1394/conversions.h>
#endif

namespace {

using orvex_tool::Converter;
using orvex_tool::MosaicFrame;

// OpenCV names a pattern by the second row's second and third samples: a
// top-left cell R G / G B is its "BG".
int OpenCvCode(uint32_t pattern, int rggb, int grbg, int gbrg, int bggr) {
    const int codes[4] = {rggb, grbg, gbrg, bggr};
    return codes[pattern & 3];
}

// OpenCV 4.6's VNG output sits two rows above its place; rows move back
// down (the top two repeat the first).
constexpr int kVngRowShift = 2;

Converter OpenCv(const std::string& name, int rggb, int grbg, int gbrg, int bggr, bool takesWide,
                 int rowShift = 0) {
    return {name,
            [=](const MosaicFrame& f, void* rgb) {
                if (f.wide && !takesWide) return false;
                const int depth = f.wide ? CV_16UC1 : CV_8UC1;
                const cv::Mat in(int(f.height), int(f.width), depth, const_cast<void*>(f.data));
                const int type = f.wide ? CV_16UC3 : CV_8UC3;
                const int code = OpenCvCode(f.pattern, rggb, grbg, gbrg, bggr);
                if (rowShift == 0) {
                    cv::Mat out(int(f.height), int(f.width), type, rgb);
                    cv::cvtColor(in, out, code);  // into the caller's buffer, no copy
                    return true;
                }
                cv::Mat out;
                cv::cvtColor(in, out, code);
                const size_t rowBytes = f.width * 3 * (f.wide ? 2 : 1);
                for (size_t y = 0; y < f.height; ++y) {
                    const ptrdiff_t from = std::max<ptrdiff_t>(0, ptrdiff_t(y) - rowShift);
                    std::memcpy(static_cast<uint8_t*>(rgb) + y * rowBytes, out.ptr(int(from)),
                                rowBytes);
                }
                return true;
            },
            true};
}

#if ORVEX_QUALITY_DC1394
Converter Dc1394(const std::string& name, dc1394bayer_method_t method) {
    return {name,
            [=](const MosaicFrame& f, void* rgb) {
                const dc1394color_filter_t tiles[4] = {
                    DC1394_COLOR_FILTER_RGGB, DC1394_COLOR_FILTER_GRBG, DC1394_COLOR_FILTER_GBRG,
                    DC1394_COLOR_FILTER_BGGR};
                const dc1394color_filter_t tile = tiles[f.pattern & 3];
                const dc1394error_t status =
                    f.wide ? dc1394_bayer_decoding_16bit(
                                 static_cast<const uint16_t*>(f.data), static_cast<uint16_t*>(rgb),
                                 uint32_t(f.width), uint32_t(f.height), tile, method, f.bits)
                           : dc1394_bayer_decoding_8bit(
                                 static_cast<const uint8_t*>(f.data), static_cast<uint8_t*>(rgb),
                                 uint32_t(f.width), uint32_t(f.height), tile, method);
                return status == DC1394_SUCCESS;
            },
            true};
}
#endif

}  // namespace

int main(int argc, char** argv) {
    using namespace orvex_tool;
    EvaluateOptions options;
    std::string pattern = "RGGB";
    CLI::App app{
        "Picture quality and speed of orvex's methods and other libraries' on folders "
        "of colour photographs"};
    app.add_option("folders", options.folders,
                   "Folders of colour photographs (PNG or TIFF), each measured as its own set")
        ->required();
    app.add_option("--pattern", pattern, "Bayer pattern of the mosaics, or all")
        ->transform(CLI::IsMember({"RGGB", "GRBG", "GBRG", "BGGR", "all"}, CLI::ignore_case))
        ->capture_default_str();
    app.add_flag("--wide", options.wide, "8-bit photographs through the 16-bit path (x 257)");
    app.add_option("--chart", options.chart, "SVG chart of PSNR against speed");
    CLI11_PARSE(app, argc, argv);
    const char* names[] = {"RGGB", "GRBG", "GBRG", "BGGR"};
    options.patterns.clear();
    for (uint32_t p = 0; p < 4; ++p)
        if (pattern == "all" || pattern == names[p]) options.patterns.push_back(p);

    cv::setNumThreads(1);
    std::vector<Converter> methods = LibraryMethods(1);
    methods.push_back(OpenCv("opencv-bilinear", cv::COLOR_BayerBG2RGB, cv::COLOR_BayerGB2RGB,
                             cv::COLOR_BayerGR2RGB, cv::COLOR_BayerRG2RGB, true));
    methods.push_back(OpenCv("opencv-edge-aware", cv::COLOR_BayerBG2RGB_EA,
                             cv::COLOR_BayerGB2RGB_EA, cv::COLOR_BayerGR2RGB_EA,
                             cv::COLOR_BayerRG2RGB_EA, true));
    methods.push_back(OpenCv("opencv-vng", cv::COLOR_BayerBG2RGB_VNG, cv::COLOR_BayerGB2RGB_VNG,
                             cv::COLOR_BayerGR2RGB_VNG, cv::COLOR_BayerRG2RGB_VNG, false,
                             kVngRowShift));
#if ORVEX_QUALITY_DC1394
    methods.push_back(Dc1394("dc1394-hqlinear", DC1394_BAYER_METHOD_HQLINEAR));
    methods.push_back(Dc1394("dc1394-ahd", DC1394_BAYER_METHOD_AHD));
#endif
    try {
        return RunEvaluate(options, methods);
    } catch (const ToolError& e) {
        std::cerr << "orvex_quality: " << e.what() << "\n";
        return 1;
    }
}
