// orvex convert: mosaic files and camera files into colour images.
#include <atomic>
#include <filesystem>
#include <memory>

#include "batch.h"
#include "camera_raw.h"
#include "command_options.h"
#include "commands.h"
#include "library_calls.h"
#include "mosaic_input.h"

namespace orvex_tool {
namespace {

struct ConvertOptions {
    MosaicOptions mosaic;
    OutputOptions out;
    DevelopOptions develop;
    std::vector<std::string> files;
    std::string outputDir;
    std::string method;  // empty: bilinear for mosaics, ri for camera files
    std::string layout;
    unsigned jobs = 0;
    bool quiet = false;
    std::vector<CLI::Option*> developOptions;  // options of camera development only
};

// The methods used when none is named.
constexpr uint32_t kMosaicMethod = ORVEX_BILINEAR;
constexpr uint32_t kCameraMethod = ORVEX_RI;

struct ConvertJob {
    Job job;
    Container container;
};

void ConvertOne(const ConvertOptions& o, const ConvertJob& j, std::atomic<bool>& geometryWarned) {
    ProbeInput(j.job.input);
    CheckWritable(j.job.output, o.out.force);
    if (IsCameraFile(j.job.input)) {
        // Camera files are developed: the file's levels, white balance and
        // colour, the edge-directed method, brightened, the sRGB curve.
        if (j.container == Container::Raw)
            throw ToolError(kUsageError,
                            j.job.output + ": camera files develop into images, not .raw");
        DevelopOptions d = o.develop;
        d.method = o.method.empty() ? kCameraMethod : FindMethod(o.method);
        d.bits = o.out.samples.bits == 16 ? 16 : 8;
        const CameraFile file = ReadCameraFile(j.job.input, o.mosaic.limits);
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
    const uint32_t layout = o.layout.empty() ? DefaultLayout(mosaic) : FindLayout(o.layout);
    const uint32_t pattern = FindPattern(o.mosaic.pattern);
    const uint32_t method = o.method.empty() ? kMosaicMethod : FindMethod(o.method);
    if (j.container == Container::Raw)
        return WriteBytes(j.job.output, Demosaic(mosaic, pattern, method, layout, name),
                          o.out.force);
    Raster colour = DemosaicImage(mosaic, pattern, method, layout, name);
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
    const bool grey = !o.layout.empty() && Facts(FindLayout(o.layout)).channels == 1;
    std::vector<Container> containers;
    for (const ConvertJob& j : jobs) {
        if (j.container == Container::Pgm && !grey)
            throw ToolError(kUsageError,
                            j.job.output + ": PGM holds grey images, use .ppm for colour");
        if (j.container == Container::Ppm && grey)
            throw ToolError(kUsageError,
                            j.job.output + ": PPM holds colour images, use .pgm for grey");
        containers.push_back(j.container);
    }
    WarnUnusedOutputOptions(o.out, containers, intoFolder || o.files.back() == "-");

    // Development options say nothing about mosaic files: said once.
    std::string given;
    for (const CLI::Option* option : o.developOptions)
        if (Given(option)) given += (given.empty() ? "" : ", ") + option->get_name();
    if (!given.empty())
        for (const ConvertJob& j : jobs)
            if (!IsCameraFile(j.job.input)) {
                Warn(given + " describe camera development; " + InputName(j.job.input) +
                     " is not a camera file, so they have no effect on it");
                break;
            }

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

}  // namespace

Command AddConvertCommand(CLI::App& app) {
    auto o = std::make_shared<ConvertOptions>();
    ConvertOptions& conv = *o;
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
                     "Method: " + MethodList() + " (default: " + orvex_method_name(kMosaicMethod) +
                         ", " + orvex_method_name(kCameraMethod) + " for camera files)")
        ->check(CLI::IsMember(MethodChoices()));
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
        "--no-matrix", [o](int64_t) { o->develop.matrix = false; },
        "Camera files: keep the camera's colours");
    convCmd->add_flag("--linear", conv.develop.linear,
                      "Camera files: linear output, no curve (at 8 and 16 bits)");
    convCmd
        ->add_option("--curve", conv.develop.curve,
                     "Camera files: transfer curve bt709 (as dcraw) or srgb, at 8 and 16 bits")
        ->check(CLI::IsMember({"bt709", "srgb"}))
        ->capture_default_str();
    convCmd
        ->add_option("--exposure", conv.develop.exposure,
                     "Camera files: brighter by EV stops (negative: darker)")
        ->check(CLI::Range(-16.0, 16.0))
        ->capture_default_str();
    convCmd->add_flag(
        "--no-auto-bright", [o](int64_t) { o->develop.autoBright = false; },
        "Camera files: the white level is white (with a DNG's BaselineExposure), not the level "
        "1 % of the pixels exceed");
    convCmd->add_flag("--half", conv.develop.half,
                      "Camera files: half the width and height, one pixel per 2 x 2 cell (fast)");
    convCmd->add_flag(
        "--no-rotate", [o](int64_t) { o->develop.rotate = false; },
        "Camera files: keep the sensor's orientation");
    convCmd
        ->add_option("--threads", conv.develop.threads,
                     "Camera files: threads per frame (0: one per core)")
        ->capture_default_str();
    for (const char* name :
         {"--wb", "--black", "--white", "--no-matrix", "--linear", "--curve", "--exposure",
          "--no-auto-bright", "--half", "--no-rotate", "--threads"})
        conv.developOptions.push_back(convCmd->get_option(name));
    convCmd->add_option("--layout", conv.layout,
                        "Library layout of .raw outputs and the sample width and channels of "
                        "images, any case, hyphens optional: see 'orvex formats' (default "
                        "rgb24, or rgb48 above 8 bits)");
    AddMosaicOptions(convCmd, conv.mosaic);
    AddOutputOptions(convCmd, conv.out,
                     "Output type with -o DIR or -: png, tiff, ppm or raw "
                     "(default png)",
                     true);
    convCmd->add_option("-j,--jobs", conv.jobs, "Files converted at once (default: one per core)");
    convCmd->add_flag("-q,--quiet", conv.quiet, "No progress bar");
    convCmd->footer(
        "Examples:\n"
        "  orvex convert frame.raw frame.png --width 1280 --height 1024 --depth 12 --pattern GRBG\n"
        "  orvex convert frame.tif frame.ppm --method cubic-fixed --layout bgr24\n"
        "  orvex convert -o out --to tiff -j 4 shots/*.pgm\n"
        "  cat frame.pgm | orvex convert - - --to ppm > frame.ppm\n"
        "Image outputs are scaled to their full range (--bits, --no-scale). Inputs are\n"
        "never modified or replaced; outputs appear only when complete.");

    return {convCmd, [o] {
                SettleMosaicOptions(o->mosaic);
                SettleOutputOptions(o->out);
                return RunConvert(*o);
            }};
}

}  // namespace orvex_tool
