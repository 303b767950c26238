// orvex: the library's conversions from the shell.
#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "batch.h"
#include "camera_raw.h"
#include "demo_scene.h"
#include "evaluate.h"
#include "image_io.h"
#include "library_calls.h"
#include "orvex2.h"
#include "progress.h"
#include "sample_scaling.h"

namespace {

using namespace orvex_tool;

const std::vector<std::string> kPatternNames = {"RGGB", "GRBG", "GBRG", "BGGR"};

void Warn(const std::string& text) {
    Err().Line("warning: " + text);
}

bool Given(const CLI::Option* option) {
    return option->count() > 0;
}

// ---- options shared by the subcommands ----

struct MosaicOptions {
    RawGeometry geometry;
    std::string pattern = "RGGB";
    bool geometryGiven = false;
    std::string packing;  // a packed camera format of raw inputs; empty: plain samples
    uint32_t stride = 0;  // bytes from one packed row to the next; 0: rows without padding
};

// Packed formats of headerless frames, as the library names them.
const std::pair<const char*, uint32_t> kPackings[] = {
    {"raw10-mipi", ORVEX_MOSAIC10_MIPI}, {"raw12-mipi", ORVEX_MOSAIC12_MIPI},
    {"raw14-mipi", ORVEX_MOSAIC14_MIPI}, {"raw10-pfnc", ORVEX_MOSAIC10_PFNC},
    {"raw12-pfnc", ORVEX_MOSAIC12_PFNC}, {"raw12-gige", ORVEX_MOSAIC12_GIGE}};

// A packed headerless frame unpacked by the library into 16-bit samples.
LoadedImage ReadPacked(const std::string& path, const MosaicOptions& o) {
    const auto packing = std::find_if(std::begin(kPackings), std::end(kPackings),
                                      [&](const auto& p) { return o.packing == p.first; });
    const uint32_t w = o.geometry.width, h = o.geometry.height;
    if (w == 0 || h == 0) throw ToolError(kUsageError, "--format needs --width and --height");
    const size_t row = orvex_image_bytes(packing->second, w, 1);
    if (row == 0)
        throw ToolError(kUsageError, std::to_string(w) + " samples do not fill whole bytes of " +
                                         o.packing + " rows");
    const size_t stride = o.stride == 0 ? row : o.stride;
    if (stride < row) throw ToolError(kUsageError, "--stride is shorter than a row");
    const std::vector<uint8_t> bytes = ReadInputBytes(path);
    if (bytes.size() < stride * (h - 1) + row)
        throw ToolError(kInputError, InputName(path) + ": " + std::to_string(bytes.size()) +
                                         " bytes do not hold " + std::to_string(w) + " x " +
                                         std::to_string(h) + " " + o.packing + " samples");
    LoadedImage loaded;
    loaded.container = Container::Raw;
    Raster& r = loaded.raster;
    r.width = w;
    r.height = h;
    r.channels = 1;
    r.samples.resize(size_t(w) * h);
    orvex_image src{}, dst{};
    src.data = const_cast<uint8_t*>(bytes.data());
    src.width = w;
    src.height = h;
    src.stride = ptrdiff_t(stride);
    src.format = packing->second;
    dst.data = r.samples.data();
    dst.width = w;
    dst.height = h;
    dst.format = ORVEX_MOSAIC16;
    if (const int status = orvex_unpack(&src, &dst, nullptr); status != ORVEX_OK)
        throw ToolError(kInputError, InputName(path) + ": " + orvex_status_text(status));
    r.bitDepth = o.packing.find("10") != std::string::npos   ? 10
                 : o.packing.find("14") != std::string::npos ? 14
                                                             : 12;
    return loaded;
}

void AddMosaicOptions(CLI::App* cmd, MosaicOptions& o, std::vector<CLI::Option*>& geometry) {
    geometry.push_back(cmd->add_option("--width", o.geometry.width, "Raw input: samples per row"));
    geometry.push_back(cmd->add_option("--height", o.geometry.height, "Raw input: rows"));
    geometry.push_back(
        cmd->add_option("--depth", o.geometry.depth,
                        "Raw input: bits per sample, 8 to 16 (above 8: 16-bit little-endian "
                        "samples); larger samples are clamped")
            ->check(CLI::Range(8, 16))
            ->capture_default_str());
    cmd->add_option("--pattern", o.pattern, "Bayer pattern of the mosaic, any case")
        ->transform(CLI::IsMember(kPatternNames, CLI::ignore_case))
        ->capture_default_str();
    cmd->add_option("--format", o.packing,
                    "Raw input packed as cameras send it: raw10-mipi, raw12-mipi, raw14-mipi, "
                    "raw10-pfnc, raw12-pfnc or raw12-gige (with --width, --height)")
        ->check(CLI::IsMember(
            {"raw10-mipi", "raw12-mipi", "raw14-mipi", "raw10-pfnc", "raw12-pfnc", "raw12-gige"}));
    cmd->add_option("--stride", o.stride,
                    "Packed raw input: bytes from one row to the next (default: the row's)");
}

struct OutputOptions {
    SampleOptions samples;
    int pngLevel = kDefaultPngLevel;
    std::string to;
    bool force = false;
    CLI::Option *bits = nullptr, *noScale = nullptr, *level = nullptr, *toOption = nullptr;
};

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

// Says which options the outputs cannot use, once, before any work.
void WarnUnusedOutputOptions(const OutputOptions& o, const std::vector<Container>& containers,
                             bool toUsed) {
    auto any = [&](auto pred) { return std::any_of(containers.begin(), containers.end(), pred); };
    if (Given(o.toOption) && !toUsed)
        Warn("--to has no effect: the output's extension names its type");
    if (Given(o.level) && !any([](Container c) { return c == Container::Png; }))
        Warn("--png-level has no effect: no output is a PNG");
    const bool sampleOptions = (o.bits && Given(o.bits)) || (o.noScale && Given(o.noScale));
    if (sampleOptions && !any([](Container c) { return c != Container::Raw; }))
        Warn("--bits and --no-scale have no effect on .raw outputs, which hold the layout's bytes");
}

std::string Stem(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = base.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

// Reports a missing or unreadable input before anything about the output.
void ProbeInput(const std::string& path) {
    struct stat st {};
    if (path != "-" && stat(path.c_str(), &st) != 0)
        throw ToolError(kInputError, path + ": " + std::strerror(errno));
}

// Reads a mosaic and says what the file's contents made the tool do.
LoadedImage ReadMosaic(const std::string& path, const MosaicOptions& mosaic,
                       std::atomic<bool>& geometryWarned) {
    if (!mosaic.packing.empty()) return ReadPacked(path, mosaic);
    LoadedImage loaded = ReadImage(path, mosaic.geometry);
    const std::string name = InputName(path);
    if (loaded.clamped > 0) {
        const uint32_t top = (1u << loaded.raster.bitDepth) - 1;
        Warn(name + ": " + std::to_string(loaded.clamped) + " samples above " +
             std::to_string(top) +
             (loaded.container == Container::Raw
                  ? " (--depth " + std::to_string(mosaic.geometry.depth) + ")"
                  : " (the file's maximum value)") +
             " clamped to " + std::to_string(top));
    }
    if (loaded.container != Container::Raw && mosaic.geometryGiven &&
        !geometryWarned.exchange(true))
        Warn("--width, --height and --depth describe raw samples; " + name + " is a " +
             ContainerName(loaded.container) + " file, so they have no effect");
    return loaded;
}

// ---- demo ----

struct DemoOptions {
    std::string output = "orvex-demo.png";
    std::string pattern = "RGGB";
    uint32_t depth = 8;
    uint32_t width = 640;
    uint32_t height = 480;
    OutputOptions out;
};

std::string Decibels(double db) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f dB", db);
    return text;
}

int RunDemo(const DemoOptions& o) {
    const uint32_t pattern = FindPattern(o.pattern);
    const bool stream = o.output == "-";
    const Container container =
        stream ? ContainerForName(o.out.to.empty() ? "png" : o.out.to) : ContainerForPath(o.output);
    if (container == Container::Pgm)
        throw ToolError(kUsageError, o.output + ": PGM holds grey images, use .ppm for colour");
    WarnUnusedOutputOptions(o.out, {container}, stream);
    CheckWritable(o.output, o.out.force);
    const Raster scene = SynthesiseScene(o.width, o.height, o.depth);
    const Raster mosaic = MosaicOf(scene, pattern);
    const LayoutInfo& layout = DefaultLayout(mosaic);

    struct Result {
        const MethodInfo* method;
        Raster image;
        double perFrame, psnr;
    };
    std::vector<Result> results;
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
        Raster image = LayoutToRaster(bytes, layout, o.width, o.height, o.depth);
        // The bilinear method leaves a one-pixel border: compare inside it.
        const double psnr = Psnr(scene, image, 2);
        results.push_back({&method, std::move(image), seconds / double(frames), psnr});
    }
    // The table ranks the methods by PSNR; the sheet keeps the library's order.
    FILE* table = stream ? stderr : stdout;  // the sheet may take standard output
    std::fprintf(table, "%-12s %12s %10s %10s\n", "method", "ms/frame", "MP/s", "PSNR dB");
    std::vector<const Result*> ranked;
    for (const Result& r : results) ranked.push_back(&r);
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const Result* a, const Result* b) { return a->psnr > b->psnr; });
    const double mp = double(o.width) * o.height / 1e6;
    for (const Result* r : ranked)
        std::fprintf(table, "%-12s %12.3f %10.1f %10.2f\n", r->method->name, r->perFrame * 1e3,
                     mp / r->perFrame, r->psnr);
    std::vector<std::string> labels = {"scene", "mosaic " + std::string(PatternNames()[pattern]) +
                                                    " " + std::to_string(o.depth) + "-bit"};
    for (const Result& r : results)
        labels.push_back(std::string(r.method->name) + " " + Decibels(r.psnr));

    std::vector<const Raster*> panels = {&scene, &mosaic};
    for (const Result& r : results) panels.push_back(&r.image);
    const Raster sheet = ContactSheet(panels, 4, labels);
    WriteImage(o.output, sheet, container, o.out.force, o.out.pngLevel);
    std::fprintf(table,
                 "\n%s: %u x %u contact sheet, panels of %u x %u left to right, top to "
                 "bottom:\n  ",
                 stream ? "standard output" : o.output.c_str(), sheet.width, sheet.height, o.width,
                 o.height);
    for (size_t i = 0; i < labels.size(); ++i)
        std::fprintf(table, "%s%s", i ? ", " : "", labels[i].c_str());
    std::fprintf(table, "\n");
    return kOk;
}

// ---- convert ----

struct ConvertOptions {
    MosaicOptions mosaic;
    OutputOptions out;
    DevelopOptions develop;
    std::vector<std::string> files;
    std::string outputDir;
    std::string method;  // empty: bilinear for mosaics, dlmmse for camera files
    std::string layout;
    unsigned jobs = 0;
    bool quiet = false;
};

struct ConvertJob {
    Job job;
    Container container;
};

void ConvertOne(const ConvertOptions& o, const ConvertJob& j, std::atomic<bool>& geometryWarned) {
    ProbeInput(j.job.input);
    CheckWritable(j.job.output, o.out.force);
    if (IsCameraFile(j.job.input)) {
        // Camera files are developed: the file's levels, white balance and
        // colour, the edge-directed method, sRGB for 8-bit outputs.
        if (j.container == Container::Raw)
            throw ToolError(kUsageError,
                            j.job.output + ": camera files develop into images, not .raw");
        DevelopOptions d = o.develop;
        d.method = FindMethod(o.method.empty() ? "dlmmse" : o.method).code;
        d.bits = o.out.samples.bits == 16 ? 16 : 8;
        const CameraFile file = ReadCameraFile(j.job.input);
        if (o.mosaic.geometryGiven && !geometryWarned.exchange(true))
            Warn("--width, --height and --depth describe raw samples; " + InputName(j.job.input) +
                 " is a camera file, whose own size, pattern and levels are used");
        if (!file.hasAsShot && d.wb == "camera")
            Warn(InputName(j.job.input) +
                 ": no as-shot white balance recorded; the camera's daylight balance is used");
        Raster colour = Develop(file, d);
        WriteImage(j.job.output, ForContainer(std::move(colour), j.container, o.out.samples),
                   j.container, o.out.force, o.out.pngLevel);
        return;
    }
    const std::string name = InputName(j.job.input);
    const LoadedImage loaded = ReadMosaic(j.job.input, o.mosaic, geometryWarned);
    const Raster& mosaic = loaded.raster;
    const LayoutInfo& layout = o.layout.empty() ? DefaultLayout(mosaic) : FindLayout(o.layout);
    const std::vector<uint8_t> bytes =
        Demosaic(mosaic, FindPattern(o.mosaic.pattern),
                 FindMethod(o.method.empty() ? "bilinear" : o.method), layout, name);
    if (j.container == Container::Raw) return WriteBytes(j.job.output, bytes, o.out.force);
    Raster colour = LayoutToRaster(bytes, layout, mosaic.width, mosaic.height, mosaic.bitDepth);
    WriteImage(j.job.output, ForContainer(std::move(colour), j.container, o.out.samples),
               j.container, o.out.force, o.out.pngLevel);
}

int RunConvert(const ConvertOptions& o) {
    if (!o.method.empty()) FindMethod(o.method);
    if (!o.layout.empty()) FindLayout(o.layout);
    std::vector<ConvertJob> jobs;
    const bool intoFolder = !o.outputDir.empty();
    const std::string to = o.out.to.empty() ? "png" : o.out.to;
    if (intoFolder) {
        for (const std::string& in : o.files) {
            if (in == "-")
                throw ToolError(kUsageError, "standard input (-) needs a named output, not -o");
            jobs.push_back({{in, o.outputDir + "/" + Stem(in) + "." + to}, ContainerForName(to)});
        }
    } else {
        if (o.files.size() < 2)
            throw ToolError(kUsageError, "convert needs an input and an output (or -o DIR)");
        if (o.files.size() > 2)
            throw ToolError(kUsageError, "several inputs need an output folder: -o DIR");
        const std::string& out = o.files[1];
        jobs.push_back(
            {{o.files[0], out}, out == "-" ? ContainerForName(to) : ContainerForPath(out)});
    }
    std::vector<Container> containers;
    for (const ConvertJob& j : jobs) {
        if (j.container == Container::Pgm)
            throw ToolError(kUsageError,
                            j.job.output + ": PGM holds grey images, use .ppm for colour");
        containers.push_back(j.container);
    }
    WarnUnusedOutputOptions(o.out, containers, intoFolder || o.files.back() == "-");

    std::vector<Job> plain;
    for (const ConvertJob& j : jobs) plain.push_back(j.job);
    CheckJobs(plain);
    if (intoFolder) {
        std::error_code ec;
        std::filesystem::create_directories(o.outputDir, ec);
        if (!std::filesystem::is_directory(o.outputDir))
            throw ToolError(kOutputError, o.outputDir + ": not a directory" +
                                              (ec ? " (" + ec.message() + ")" : ""));
    }
    std::atomic<bool> geometryWarned{false};
    return RunJobs(plain, o.jobs, !o.quiet,
                   [&](size_t i) { ConvertOne(o, jobs[i], geometryWarned); });
}

// ---- zoom ----

struct ZoomOptions {
    MosaicOptions mosaic;
    OutputOptions out;
    std::string input, output;
};

int RunZoom(const ZoomOptions& o) {
    const bool stream = o.output == "-";
    const bool named = !stream || !o.out.to.empty();
    Container container = Container::Raw;
    if (named) container = stream ? ContainerForName(o.out.to) : ContainerForPath(o.output);
    if (named && container == Container::Ppm)
        throw ToolError(kUsageError, o.output + ": PPM holds colour images, use .pgm for a mosaic");
    CheckJobs({{o.input, o.output}});
    ProbeInput(o.input);
    CheckWritable(o.output, o.out.force);
    std::atomic<bool> geometryWarned{false};
    const LoadedImage loaded = ReadMosaic(o.input, o.mosaic, geometryWarned);
    // Standard output without --to keeps the input's container.
    if (!named) container = loaded.container == Container::Ppm ? Container::Pgm : loaded.container;
    WarnUnusedOutputOptions(o.out, {container}, stream);
    if (loaded.raster.width < 5 || loaded.raster.height < 3)
        throw ToolError(kInputError, o.input + ": the zoom needs at least 5 x 3 samples");
    const Raster zoomed = ZoomMosaic(loaded.raster, FindPattern(o.mosaic.pattern), o.input);
    WriteImage(o.output, ForContainer(zoomed, container, o.out.samples), container, o.out.force,
               o.out.pngLevel);
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
        "\nInputs: raw samples, PGM (P5), 8/16-bit grey PNG or TIFF, - for standard input\n"
        "Outputs by extension: .png .tif .tiff .ppm .pgm .raw (.raw: the layout's bytes),\n"
        "  - for standard output (type from --to)\n");
    return kOk;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"orvex: turns raw Bayer mosaics into colour images"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "orvex " ORVEX_VERSION);
    app.footer(
        "Examples:\n"
        "  orvex demo                          synthetic scene through every method\n"
        "  orvex convert frame.pgm frame.png   bilinear demosaic into an RGB PNG\n"
        "  orvex convert -o out/ *.raw --width 1280 --height 1024 --method cubic\n"
        "  orvex zoom frame.pgm tall.pgm       vertical 2x zoom of the mosaic\n"
        "  orvex formats                       codes of layouts, patterns and methods\n"
        "  orvex evaluate photos/              rank the methods by PSNR on photographs\n"
        "Exit status: 0 done, 2 usage, 3 input, 4 output.");

    DemoOptions demo;
    auto* demoCmd =
        app.add_subcommand("demo", "Convert a built-in synthetic scene with every method");
    demoCmd->add_option("output", demo.output, "Contact sheet: .png, .tif, .ppm, .raw or -")
        ->capture_default_str();
    demoCmd->add_option("--pattern", demo.pattern, "Bayer pattern, any case")
        ->transform(CLI::IsMember(kPatternNames, CLI::ignore_case))
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
    AddOutputOptions(demoCmd, demo.out, "Type of the sheet written to standard output (-)", false);
    demoCmd->footer(
        "Example: orvex demo --depth 16 sheet.png\n"
        "Prints time per frame, megapixels per second and PSNR for each method, best\n"
        "first, and writes a 4 x 2 contact sheet, each panel labelled: scene, mosaic,\n"
        "block, bilinear, cubic, cubic-fixed, mhc, dlmmse.");

    ConvertOptions conv;
    std::vector<CLI::Option*> convGeometry;
    auto* convCmd = app.add_subcommand("convert", "Demosaic mosaic files");
    convCmd
        ->add_option("files", conv.files,
                     "IN... OUT, or inputs only with -o DIR; - for "
                     "standard input or output")
        ->required();
    convCmd->add_option("-o,--output-dir", conv.outputDir,
                        "Folder for the outputs of many inputs (created when missing)");
    convCmd
        ->add_option("--method", conv.method,
                     "block, bilinear, cubic, cubic-fixed, mhc or dlmmse (best for stills; "
                     "default: bilinear, dlmmse for camera files)")
        ->check(CLI::IsMember({"block", "bilinear", "cubic", "cubic-fixed", "mhc", "dlmmse"}));
    convCmd
        ->add_option("--wb", conv.develop.wb,
                     "Camera files: white balance camera, daylight, none or R,G,B")
        ->capture_default_str();
    convCmd->add_option("--black", conv.develop.black,
                        "Camera files: black level N, or N,N,N,N for the top-left cell's sites "
                        "(default: the file's)");
    convCmd->add_option("--white", conv.develop.white,
                        "Camera files: white level (default: the file's)");
    convCmd->add_flag(
        "--no-matrix", [&](int64_t) { conv.develop.matrix = false; },
        "Camera files: keep the camera's colours");
    convCmd->add_flag("--linear", conv.develop.linear,
                      "Camera files: no sRGB curve on 8-bit outputs");
    convCmd->add_flag(
        "--no-rotate", [&](int64_t) { conv.develop.rotate = false; },
        "Camera files: keep the sensor's orientation");
    convCmd
        ->add_option("--threads", conv.develop.threads,
                     "Camera files: threads per frame (0: one per core)")
        ->capture_default_str();
    convCmd->add_option("--layout", conv.layout,
                        "Library layout, e.g. RGB24, BGRA32, RGB48, PlanarRGB24 "
                        "(default RGB24, or RGB48 above 8 bits)");
    AddMosaicOptions(convCmd, conv.mosaic, convGeometry);
    AddOutputOptions(convCmd, conv.out,
                     "Output type with -o DIR or -: png, tiff, ppm or raw "
                     "(default png)",
                     true);
    convCmd->add_option("-j,--jobs", conv.jobs, "Files converted at once (default: one per core)");
    convCmd->add_flag("-q,--quiet", conv.quiet, "No progress bar");
    convCmd->footer(
        "Examples:\n"
        "  orvex convert frame.raw frame.png --width 1280 --height 1024 --depth 12 --pattern GRBG\n"
        "  orvex convert frame.tif frame.ppm --method cubic-fixed --layout BGR24\n"
        "  orvex convert -o out --to tiff -j 4 shots/*.pgm\n"
        "  cat frame.pgm | orvex convert - - --to ppm > frame.ppm\n"
        "Image outputs are scaled to their full range (--bits, --no-scale). Inputs are\n"
        "never modified or replaced; outputs appear only when complete.");

    ZoomOptions zoom;
    std::vector<CLI::Option*> zoomGeometry;
    auto* zoomCmd = app.add_subcommand("zoom", "Vertical 2x zoom of a mosaic");
    zoomCmd->add_option("input", zoom.input, "Mosaic file, or - for standard input")->required();
    zoomCmd
        ->add_option("output", zoom.output,
                     "Zoomed mosaic: .pgm, .png, .tif or .raw, or - for standard output")
        ->required();
    AddMosaicOptions(zoomCmd, zoom.mosaic, zoomGeometry);
    AddOutputOptions(zoomCmd, zoom.out,
                     "Type written to standard output (-): pgm, png, tiff or raw "
                     "(default: the input's)",
                     true);
    zoomCmd->footer("Example: orvex zoom frame.raw tall.raw --width 640 --height 480");

    EvaluateOptions evaluate;
    std::string evaluatePattern = "RGGB";
    auto* evaluateCmd = app.add_subcommand(
        "evaluate", "Rank the methods by PSNR on a folder of photographs (PNG or TIFF)");
    evaluateCmd->add_option("folder", evaluate.folder, "Folder of colour photographs")->required();
    evaluateCmd->add_option("--pattern", evaluatePattern, "Bayer pattern of the mosaics, or all")
        ->transform(CLI::IsMember({"RGGB", "GRBG", "GBRG", "BGGR", "all"}, CLI::ignore_case))
        ->capture_default_str();
    evaluateCmd->add_flag("--wide", evaluate.wide,
                          "8-bit photographs through the 16-bit path (samples x 257)");
    evaluateCmd->add_option("--chart", evaluate.chart, "SVG chart of PSNR against speed");
    evaluateCmd
        ->add_option("--threads", evaluate.threads, "Threads per conversion (0: one per core)")
        ->capture_default_str();
    evaluateCmd->footer(
        "Example: orvex evaluate photos/ --pattern all --chart quality.svg\n"
        "Each photograph is sampled into a mosaic and converted by every method; the table\n"
        "gives the mean PSNR over the images, without and with an 8-pixel frame.");

    std::vector<std::string> infoFiles;
    bool infoJson = false;
    auto* infoCmd = app.add_subcommand("info", "Describe camera raw files (DNG, CR2, NEF, ...)");
    infoCmd->add_option("files", infoFiles, "Camera raw files")->required();
    infoCmd->add_flag("--json", infoJson, "One JSON object a line, for scripts");
    infoCmd->footer("Example: orvex info IMG_0001.CR2 --json");

    auto* formatsCmd =
        app.add_subcommand("formats", "List layouts, patterns and methods with their codes");
    formatsCmd->footer("Example: orvex formats");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kOk : kUsageError;
    }
    auto anyGiven = [](const std::vector<CLI::Option*>& options) {
        return std::any_of(options.begin(), options.end(), Given);
    };
    conv.mosaic.geometryGiven = anyGiven(convGeometry);
    zoom.mosaic.geometryGiven = anyGiven(zoomGeometry);
    conv.out.samples.scale = !Given(conv.out.noScale);
    zoom.out.samples.scale = !Given(zoom.out.noScale);
    try {
        if (*demoCmd) return RunDemo(demo);
        if (*convCmd) return RunConvert(conv);
        if (*infoCmd) {
            // Every file is described or reported; the status is the worst.
            int status = kOk;
            for (const std::string& file : infoFiles) {
                try {
                    std::fputs(DescribeCameraFile(file, ReadCameraFile(file), infoJson).c_str(),
                               stdout);
                    if (infoJson) std::fputs("\n", stdout);
                } catch (const ToolError& e) {
                    std::fprintf(stderr, "orvex: %s\n", e.what());
                    status = std::max(status, int(e.status()));
                }
            }
            return status;
        }
        if (*zoomCmd) return RunZoom(zoom);
        if (*evaluateCmd) {
            evaluate.patterns.clear();
            for (uint32_t p = 0; p < 4; ++p)
                if (evaluatePattern == "all" || evaluatePattern == kPatternNames[p])
                    evaluate.patterns.push_back(p);
            return RunEvaluate(evaluate, LibraryMethods(evaluate.threads));
        }
        return RunFormats();
    } catch (const ToolError& e) {
        Err().Line(e.what());
        return e.status();
    } catch (const std::exception& e) {
        Err().Line(e.what());
        return kOutputError;
    }
}
