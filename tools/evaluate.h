// Picture quality of every method on a folder of photographs: each is
// sampled into a mosaic, demosaicked, and compared with itself.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace orvex_tool {

struct EvaluateOptions {
    std::string folder;
    std::vector<uint32_t> patterns{0};  // orvex_pattern codes
    // 8-bit photographs through the 16-bit path too: samples x 257.
    bool wide = false;
    std::string chart;  // SVG of PSNR against speed; empty: none
    uint32_t threads = 1;
};

// One method's figures: means over the images of per-image PSNR in dB.
struct MethodQuality {
    std::string name;
    double psnr = 0;         // the image less an 8-pixel frame, all channels
    double channel[3] = {};  // the same per channel
    double fullImage = 0;    // every pixel
    double megapixelsPerSecond = 0;
};

// Figures per method, in the library's order, for every PNG or TIFF in the
// folder (sorted by name) and every pattern asked for; images of fewer than
// 17 x 17 pixels are skipped. Throws ToolError for an empty or unreadable
// folder.
std::vector<MethodQuality> Evaluate(const EvaluateOptions& options, std::ostream& log);

// The table as Markdown, best PSNR first.
void PrintQuality(const std::vector<MethodQuality>& figures, std::ostream& out);

// PSNR against megapixels per second, one labelled point per method.
std::string QualityChart(const std::vector<MethodQuality>& figures);

int RunEvaluate(const EvaluateOptions& options);

}  // namespace orvex_tool
