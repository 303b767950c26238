// Options that several subcommands share, and the warnings for options a
// run cannot use.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <string>
#include <vector>

#include "image_io.h"
#include "sample_scaling.h"

namespace orvex_tool {

// "orvex: warning: text" on standard error.
void Warn(const std::string& text);

bool Given(const CLI::Option* option);

struct MosaicOptions {
    RawGeometry geometry;
    std::string pattern = "RGGB";
    bool geometryGiven = false;  // --width, --height or --depth given
    std::string rawFormat;       // a camera format of raw inputs; empty: plain samples
    uint32_t stride = 0;         // bytes from one raw row to the next; 0: rows without padding
    std::vector<CLI::Option*> geometryOptions;
    CLI::Option* depthOption = nullptr;  // --depth, also the bits of mosaic16-be samples
    InputLimits limits;                  // --max-pixels, --accept-corrupt
};

void AddMosaicOptions(CLI::App* cmd, MosaicOptions& o);

struct OutputOptions {
    SampleOptions samples;
    int pngLevel = kDefaultPngLevel;
    std::string to;
    bool force = false;
    CLI::Option *bits = nullptr, *noScale = nullptr, *level = nullptr, *toOption = nullptr;
};

void AddOutputOptions(CLI::App* cmd, OutputOptions& o, const std::string& toHelp,
                      bool sampleOptions);

// What the parsed command line says beyond the options' values.
void SettleMosaicOptions(MosaicOptions& o);
void SettleOutputOptions(OutputOptions& o);

// Says which options the outputs cannot use, once, before any work.
void WarnUnusedOutputOptions(const OutputOptions& o, const std::vector<Container>& containers,
                             bool toUsed);

// The file name without folder and extension.
std::string Stem(const std::string& path);

}  // namespace orvex_tool
