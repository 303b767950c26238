// orvex zoom: the vertical 2x zoom of a mosaic.
#include <atomic>
#include <memory>

#include "batch.h"
#include "command_options.h"
#include "commands.h"
#include "library_calls.h"
#include "mosaic_input.h"

namespace orvex_tool {
namespace {

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
    const Raster zoomed = ZoomMosaic(loaded.raster, FindPattern(o.mosaic.pattern), o.input);
    WriteImage(o.output, ForContainer(zoomed, container, o.out.samples), container, o.out.force,
               o.out.pngLevel);
    return kOk;
}

}  // namespace

Command AddZoomCommand(CLI::App& app) {
    auto o = std::make_shared<ZoomOptions>();
    ZoomOptions& zoom = *o;
    auto* zoomCmd = app.add_subcommand("zoom", "Vertical 2x zoom of a mosaic");
    zoomCmd->add_option("input", zoom.input, "Mosaic file, or - for standard input")->required();
    zoomCmd
        ->add_option("output", zoom.output,
                     "Zoomed mosaic: .pgm, .png, .tif or .raw, or - for standard output")
        ->required();
    AddMosaicOptions(zoomCmd, zoom.mosaic);
    AddOutputOptions(zoomCmd, zoom.out,
                     "Type written to standard output (-): pgm, png, tiff or raw "
                     "(default: the input's)",
                     true);
    zoomCmd->footer(
        "Examples:\n"
        "  orvex zoom frame.raw tall.raw --width 640 --height 480\n"
        "  orvex zoom frame.pgm - --to png > tall.png");

    return {zoomCmd, [o] {
                SettleMosaicOptions(o->mosaic);
                SettleOutputOptions(o->out);
                return RunZoom(*o);
            }};
}

}  // namespace orvex_tool
