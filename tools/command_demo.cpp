// orvex demo: a synthetic scene through every method, timed, scored and
// shown side by side.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

#include "command_options.h"
#include "commands.h"
#include "demo_scene.h"
#include "evaluate.h"
#include "library_calls.h"

namespace orvex_tool {
namespace {

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
    const uint32_t layout = DefaultLayout(mosaic);

    struct Result {
        const char* method;
        Raster image;
        double perFrame, psnr;
    };
    std::vector<Result> results;
    for (const uint32_t method : MethodCodes()) {
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
        Raster image = ImageOf(bytes, layout, mosaic);
        // A two-pixel frame, where methods differ in what they assume beyond
        // the edges, stays out of the score.
        const double psnr = Psnr(scene, image, 2);
        results.push_back(
            {orvex_method_name(method), std::move(image), seconds / double(frames), psnr});
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
        std::fprintf(table, "%-12s %12.3f %10.1f %10.2f\n", r->method, r->perFrame * 1e3,
                     mp / r->perFrame, r->psnr);
    std::vector<std::string> labels = {
        "scene", "mosaic " + PatternChoices()[pattern] + " " + std::to_string(o.depth) + "-bit"};
    for (const Result& r : results)
        labels.push_back(std::string(r.method) + " " + Decibels(r.psnr));

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

}  // namespace

Command AddDemoCommand(CLI::App& app) {
    auto o = std::make_shared<DemoOptions>();
    DemoOptions& demo = *o;
    auto* demoCmd =
        app.add_subcommand("demo", "Convert a built-in synthetic scene with every method");
    demoCmd->add_option("output", demo.output, "Contact sheet: .png, .tif, .ppm, .raw or -")
        ->capture_default_str();
    demoCmd->add_option("--pattern", demo.pattern, "Bayer pattern, any case")
        ->transform(CLI::IsMember(PatternChoices(), CLI::ignore_case))
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
        "Examples:\n"
        "  orvex demo --depth 16 sheet.png\n"
        "  orvex demo - --to ppm --width 320 --height 240 --pattern gbrg > sheet.ppm\n"
        "Prints time per frame, megapixels per second and PSNR for each method, best\n"
        "first, and writes a contact sheet of four columns, each panel labelled: the\n"
        "scene, its mosaic, then each method in the library's order.");

    return {demoCmd, [o] { return RunDemo(*o); }};
}

}  // namespace orvex_tool
