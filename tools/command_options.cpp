#include "command_options.h"

#include <algorithm>

#include "library_calls.h"
#include "progress.h"

namespace orvex_tool {

void Warn(const std::string& text) {
    Err().Line("warning: " + text);
}

bool Given(const CLI::Option* option) {
    return option != nullptr && option->count() > 0;
}

void AddMosaicOptions(CLI::App* cmd, MosaicOptions& o) {
    auto& geometry = o.geometryOptions;
    geometry.push_back(
        cmd->add_option("--width", o.geometry.width,
                        "Raw input: samples per row (no default: raw samples need it)"));
    geometry.push_back(cmd->add_option("--height", o.geometry.height,
                                       "Raw input: rows (no default: raw samples need it)"));
    o.depthOption =
        cmd->add_option("--depth", o.geometry.depth,
                        "Raw input: bits per sample, 8 to 16 (above 8: 16-bit little-endian "
                        "samples, or big-endian with --format mosaic16-be); larger samples are "
                        "clamped")
            ->check(CLI::Range(8, 16))
            ->capture_default_str();
    geometry.push_back(o.depthOption);
    cmd->add_option("--pattern", o.pattern, "Bayer pattern of the mosaic, any case")
        ->transform(CLI::IsMember(PatternChoices(), CLI::ignore_case))
        ->capture_default_str();
    cmd->add_option("--format", o.rawFormat,
                    "Raw input as cameras send it: " + Listed(RawFormatChoices()) +
                        " (with --width, --height; default: plain samples)")
        ->check(CLI::IsMember(RawFormatChoices()));
    cmd->add_option("--stride", o.stride,
                    "Raw input of --format: bytes from one row to the next (default: the row's)");
    cmd->add_option("--max-pixels", o.limits.maxPixels,
                    "Inputs claiming more pixels (width x height) are refused unread")
        ->check(CLI::PositiveNumber)
        ->capture_default_str();
    cmd->add_flag("--accept-corrupt", o.limits.acceptCorrupt,
                  "Camera files: develop sample data LibRaw finds corrupt or cut short (warned)");
}

void AddOutputOptions(CLI::App* cmd, OutputOptions& o, const std::string& toHelp,
                      bool sampleOptions) {
    o.toOption = cmd->add_option("--to", o.to, toHelp)
                     ->transform(CLI::IsMember({"png", "tif", "tiff", "ppm", "pgm", "raw"},
                                               CLI::ignore_case));
    if (sampleOptions) {
        o.bits = cmd->add_option("--bits", o.samples.bits,
                                 "Sample width of PNG, TIFF, PPM outputs: 8 or 16 (default: 8 "
                                 "for data of up to 8 bits, else 16; PPM: the data's own)")
                     ->check(CLI::IsMember({8, 16}));
        o.noScale = cmd->add_flag("--no-scale",
                                  "Keep the data's values instead of scaling them "
                                  "to the output's full range");
    }
    o.level = cmd->add_option("--png-level", o.pngLevel,
                              "PNG compression: 0 none, 1 fast (Huffman only), 2-9 deflate "
                              "levels (6: the usual default, slowest gains)")
                  ->check(CLI::Range(0, 9))
                  ->capture_default_str();
    cmd->add_flag("--force", o.force, "Replace existing outputs (never an input)");
}

void SettleMosaicOptions(MosaicOptions& o) {
    o.geometryGiven = std::any_of(o.geometryOptions.begin(), o.geometryOptions.end(), Given);
}

void SettleOutputOptions(OutputOptions& o) {
    o.samples.scale = !Given(o.noScale);
}

void WarnUnusedOutputOptions(const OutputOptions& o, const std::vector<Container>& containers,
                             bool toUsed) {
    auto any = [&](auto pred) { return std::any_of(containers.begin(), containers.end(), pred); };
    if (Given(o.toOption) && !toUsed)
        Warn("--to has no effect: the output's extension names its type");
    if (Given(o.level) && !any([](Container c) { return c == Container::Png; }))
        Warn("--png-level has no effect: no output is a PNG");
    const bool sampleOptions = Given(o.bits) || Given(o.noScale);
    if (sampleOptions && !any([](Container c) { return c != Container::Raw; }))
        Warn("--bits and --no-scale have no effect on .raw outputs, which hold the layout's bytes");
}

std::string Stem(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = base.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

}  // namespace orvex_tool
