// orvex: the library's conversions from the shell.
#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <iostream>

#include "demo_scene.h"
#include "image_io.h"
#include "library_calls.h"
#include "progress.h"

namespace {

using namespace orvex_tool;

struct RawOptions {
    RawGeometry geometry;
    std::string pattern = "RGGB";
};

void AddMosaicOptions(CLI::App* cmd, RawOptions& o) {
    cmd->add_option("--width", o.geometry.width, "Raw input: samples per row");
    cmd->add_option("--height", o.geometry.height, "Raw input: rows");
    cmd->add_option("--depth", o.geometry.depth,
                    "Raw input: bits per sample, 8 to 16 (above 8: 16-bit little-endian samples)")
        ->check(CLI::Range(8, 16))
        ->capture_default_str();
    cmd->add_option("--pattern", o.pattern, "Bayer pattern of the mosaic")
        ->check(CLI::IsMember({"RGGB", "GRBG", "GBRG", "BGGR"}))
        ->capture_default_str();
}

// ---- demo ----

struct DemoOptions {
    std::string output = "orvex-demo.png";
    std::string pattern = "RGGB";
    uint32_t depth = 8;
    uint32_t width = 640;
    uint32_t height = 480;
    bool force = false;
};

int RunDemo(const DemoOptions& o) {
    const uint32_t pattern = FindPattern(o.pattern);
    CheckWritable(o.output, o.force);
    const Raster scene = SynthesiseScene(o.width, o.height, o.depth);
    const Raster mosaic = MosaicOf(scene, pattern);
    const LayoutInfo& layout = DefaultLayout(mosaic);

    std::vector<Raster> results;
    std::printf("%-12s %12s %10s %10s\n", "method", "ms/frame", "MP/s", "PSNR dB");
    for (const MethodInfo& method : Methods()) {
        // Repeat for at least a quarter second so short conversions are timed fairly.
        std::vector<uint8_t> bytes;
        size_t frames = 0;
        const auto start = std::chrono::steady_clock::now();
        double seconds = 0;
        do {
            bytes = Demosaic(mosaic, pattern, method, layout, "demo scene");
            ++frames;
            seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        } while (seconds < 0.25 && frames < 50);
        results.push_back(LayoutToRaster(bytes, layout, o.width, o.height, o.depth));
        const double perFrame = seconds / double(frames);
        const double mp = double(o.width) * o.height / 1e6;
        // The bilinear method leaves a one-pixel border: compare inside it.
        std::printf("%-12s %12.3f %10.1f %10.2f\n", method.name, perFrame * 1e3, mp / perFrame,
                    Psnr(scene, results.back(), 2));
    }

    std::vector<const Raster*> panels = {&scene, &mosaic};
    for (const Raster& r : results) panels.push_back(&r);
    const Raster sheet = ContactSheet(panels, 3);
    WriteImage(o.output, sheet, Container::Png, o.force);
    std::printf("\n%s: %u x %u contact sheet, panels of %u x %u left to right, top to bottom:\n",
                o.output.c_str(), sheet.width, sheet.height, o.width, o.height);
    std::printf("  scene, mosaic (%s, %u-bit)", PatternNames()[pattern], o.depth);
    for (const MethodInfo& m : Methods()) std::printf(", %s", m.name);
    std::printf("\n");
    return kOk;
}

// ---- convert ----

struct ConvertOptions {
    RawOptions mosaic;
    std::vector<std::string> files;
    std::string outputDir;
    std::string to = "png";
    std::string method = "bilinear";
    std::string layout;
    bool force = false;
    bool quiet = false;
};

std::string Stem(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = base.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

void ConvertOne(const ConvertOptions& o, const std::string& in, const std::string& out) {
    const Container container = ContainerForPath(out);
    if (container == Container::Pgm)
        throw ToolError(kUsageError, out + ": PGM holds grey images, use .ppm for colour");
    const MethodInfo& method = FindMethod(o.method);
    CheckWritable(out, o.force);
    const LoadedImage loaded = ReadImage(in, o.mosaic.geometry);
    const Raster& mosaic = loaded.raster;
    const LayoutInfo& layout = o.layout.empty() ? DefaultLayout(mosaic) : FindLayout(o.layout);
    const std::vector<uint8_t> bytes =
        Demosaic(mosaic, FindPattern(o.mosaic.pattern), method, layout, in);
    if (container == Container::Raw)
        WriteBytes(out, bytes, o.force);
    else
        WriteImage(out, LayoutToRaster(bytes, layout, mosaic.width, mosaic.height, mosaic.bitDepth),
                   container, o.force);
}

int RunConvert(const ConvertOptions& o) {
    std::vector<std::pair<std::string, std::string>> jobs;
    if (!o.outputDir.empty()) {
        struct stat st {};
        if (stat(o.outputDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            throw ToolError(kOutputError, o.outputDir + ": not a directory");
        for (const std::string& in : o.files)
            jobs.emplace_back(in, o.outputDir + "/" + Stem(in) + "." + o.to);
    } else {
        if (o.files.size() < 2)
            throw ToolError(kUsageError, "convert needs an input and an output (or -o DIR)");
        for (size_t i = 0; i + 1 < o.files.size(); ++i)
            jobs.emplace_back(o.files[i], o.files.back());
        if (jobs.size() > 1)
            throw ToolError(kUsageError, "several inputs need an output folder: -o DIR");
    }
    // Every frame is tried; the first failure decides the exit status.
    int status = kOk;
    Progress progress(jobs.size(), !o.quiet);
    for (const auto& [in, out] : jobs) {
        try {
            ConvertOne(o, in, out);
        } catch (const ToolError& e) {
            std::fprintf(stderr, "\norvex: %s\n", e.what());
            if (status == kOk) status = e.status();
            if (e.status() == kUsageError) return status;
        }
        progress.Step();
    }
    return status;
}

// ---- zoom ----

struct ZoomOptions {
    RawOptions mosaic;
    std::string input, output;
    bool force = false;
};

int RunZoom(const ZoomOptions& o) {
    CheckWritable(o.output, o.force);
    const LoadedImage loaded = ReadImage(o.input, o.mosaic.geometry);
    if (loaded.raster.width < 5 || loaded.raster.height < 3)
        throw ToolError(kInputError, o.input + ": the zoom needs at least 5 x 3 samples");
    const Raster zoomed = ZoomMosaic(loaded.raster, FindPattern(o.mosaic.pattern), o.input);
    WriteImage(o.output, zoomed, loaded.container, o.force);
    return kOk;
}

// ---- formats ----

int RunFormats() {
    std::printf("Layouts (--layout):\n");
    for (const LayoutInfo& l : Layouts())
        std::printf("  %2u  %-12s %s, %s samples\n", l.format, l.name,
                    l.planar ? "planar" : "packed", l.wide ? "16-bit" : "8-bit");
    std::printf("\nPatterns (--pattern):\n");
    for (uint32_t p = 0; p < 4; ++p) std::printf("  %2u  %s\n", p, PatternNames()[p]);
    std::printf("\nMethods (--method):\n");
    for (const MethodInfo& m : Methods())
        std::printf("  %2u  %-12s %s\n", m.code, m.name, m.summary);
    std::printf(
        "\nInputs: raw samples, PGM (P5), 8/16-bit grey PNG or TIFF\n"
        "Outputs by extension: .png .tif .tiff .ppm .raw (.raw: the layout's bytes)\n");
    return kOk;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"orvex: turns raw Bayer mosaics into colour images"};
    app.require_subcommand(1);
    app.footer(
        "Examples:\n"
        "  orvex demo                          synthetic scene through every method\n"
        "  orvex convert frame.pgm frame.png   bilinear demosaic into an RGB PNG\n"
        "  orvex convert -o out/ *.raw --width 1280 --height 1024 --method cubic\n"
        "  orvex zoom frame.pgm tall.pgm       vertical 2x zoom of the mosaic\n"
        "  orvex formats                       codes of layouts, patterns and methods\n"
        "Exit status: 0 done, 2 usage, 3 input, 4 output.");

    DemoOptions demo;
    auto* demoCmd =
        app.add_subcommand("demo", "Convert a built-in synthetic scene with every method");
    demoCmd->add_option("output", demo.output, "Contact sheet PNG")->capture_default_str();
    demoCmd->add_option("--pattern", demo.pattern, "Bayer pattern")
        ->check(CLI::IsMember({"RGGB", "GRBG", "GBRG", "BGGR"}))
        ->capture_default_str();
    demoCmd->add_option("--depth", demo.depth, "Bits per sample of the scene")
        ->check(CLI::IsMember({8, 16}))
        ->capture_default_str();
    demoCmd->add_option("--width", demo.width, "Scene width")
        ->check(CLI::Range(8, 8192))
        ->capture_default_str();
    demoCmd->add_option("--height", demo.height, "Scene height")
        ->check(CLI::Range(8, 8192))
        ->capture_default_str();
    demoCmd->add_flag("--force", demo.force, "Replace an existing output");
    demoCmd->footer(
        "Example: orvex demo --depth 16 sheet.png\n"
        "Prints time per frame, megapixels per second and PSNR for each method and\n"
        "writes a 3 x 2 contact sheet: scene, mosaic, block, bilinear, cubic, cubic-fixed.");

    ConvertOptions conv;
    auto* convCmd = app.add_subcommand("convert", "Demosaic mosaic files");
    convCmd->add_option("files", conv.files, "IN... OUT, or inputs only with -o DIR")->required();
    convCmd->add_option("-o,--output-dir", conv.outputDir, "Folder for the outputs of many inputs");
    convCmd->add_option("--to", conv.to, "Output type with -o: png, tiff, ppm or raw")
        ->check(CLI::IsMember({"png", "tif", "tiff", "ppm", "raw"}))
        ->capture_default_str();
    convCmd->add_option("--method", conv.method, "block, bilinear, cubic or cubic-fixed")
        ->check(CLI::IsMember({"block", "bilinear", "cubic", "cubic-fixed"}))
        ->capture_default_str();
    convCmd->add_option("--layout", conv.layout,
                        "Library layout, e.g. RGB24, BGRA32, RGB48, PlanarRGB24 "
                        "(default RGB24, or RGB48 above 8 bits)");
    AddMosaicOptions(convCmd, conv.mosaic);
    convCmd->add_flag("--force", conv.force, "Replace existing outputs");
    convCmd->add_flag("-q,--quiet", conv.quiet, "No progress bar");
    convCmd->footer(
        "Examples:\n"
        "  orvex convert frame.raw frame.png --width 1280 --height 1024 --depth 12 --pattern GRBG\n"
        "  orvex convert frame.tif frame.ppm --method cubic-fixed --layout BGR24\n"
        "  orvex convert -o out --to tiff shots/*.pgm\n"
        "Inputs are never modified; outputs appear only when complete.");

    ZoomOptions zoom;
    auto* zoomCmd =
        app.add_subcommand("zoom", "Vertical 2x zoom of a mosaic, in the input's container");
    zoomCmd->add_option("input", zoom.input, "Mosaic file")->required();
    zoomCmd->add_option("output", zoom.output, "Zoomed mosaic file")->required();
    AddMosaicOptions(zoomCmd, zoom.mosaic);
    zoomCmd->add_flag("--force", zoom.force, "Replace an existing output");
    zoomCmd->footer("Example: orvex zoom frame.raw tall.raw --width 640 --height 480");

    auto* formatsCmd =
        app.add_subcommand("formats", "List layouts, patterns and methods with their codes");
    formatsCmd->footer("Example: orvex formats");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kOk : kUsageError;
    }
    try {
        if (*demoCmd) return RunDemo(demo);
        if (*convCmd) return RunConvert(conv);
        if (*zoomCmd) return RunZoom(zoom);
        return RunFormats();
    } catch (const ToolError& e) {
        std::fprintf(stderr, "orvex: %s\n", e.what());
        return e.status();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orvex: %s\n", e.what());
        return kOutputError;
    }
}
