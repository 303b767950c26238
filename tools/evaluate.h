// Picture quality of every method on a folder of photographs: each is
// sampled into a mosaic, demosaicked, and compared with itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace orvex_tool {

struct EvaluateOptions {
    std::string folder;                 // the set Evaluate measures
    std::vector<std::string> folders;   // the sets RunEvaluate measures, in order
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
    bool peer = false;      // another library's method, for comparison
    size_t runs = 0;        // conversions measured (images x patterns)
    double megapixels = 0;  // pixels they held
};

// A mosaic under evaluation: rows contiguous, 8-bit samples (uint8_t) or 16-bit
// ones (uint16_t) of `bits` significant bits, colours of the top-left 2 x 2
// cell given by an orvex_pattern code.
struct MosaicFrame {
    const void* data;
    size_t width, height;
    bool wide;
    uint32_t bits;
    uint32_t pattern;
};

// A method under evaluation: writes the frame's R, G, B samples (contiguous
// rows, the mosaic's sample width) to rgb; false when it cannot take the
// frame (nothing is counted then).
struct Converter {
    std::string name;
    std::function<bool(const MosaicFrame& frame, void* rgb)> convert;
    bool peer = false;
};

// The library's methods, in its order, each converting with `threads`.
std::vector<Converter> LibraryMethods(uint32_t threads);

// Figures per converter, in the order given, for every PNG or TIFF in the
// folder (sorted by name) and every pattern asked for; images of fewer than
// 17 x 17 pixels are skipped, converters that take no frame are left out.
// Throws ToolError for an empty or unreadable folder, or a library method
// that fails.
std::vector<MethodQuality> Evaluate(const EvaluateOptions& options,
                                    const std::vector<Converter>& methods, std::ostream& log);

// One folder's figures, named for the folder.
struct SetQuality {
    std::string name;
    size_t images = 0;
    std::vector<MethodQuality> figures;
};

// The table as Markdown, best PSNR first.
void PrintQuality(const std::vector<MethodQuality>& figures, std::ostream& out);

// Several sets: a table of every method's PSNR on each set (ordered by the
// first), then each set's own table. One set: that set's table alone.
void PrintQuality(const std::vector<SetQuality>& sets, std::ostream& out);

// PSNR against megapixels per second, one labelled point per method and set
// (peers in another colour, each set its own marker, a method's points
// joined).
std::string QualityChart(const std::vector<SetQuality>& sets);

// Evaluates the methods, prints the table and writes the chart if asked.
int RunEvaluate(const EvaluateOptions& options, const std::vector<Converter>& methods);

}  // namespace orvex_tool
