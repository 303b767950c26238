// orvex: the library's conversions from the shell.
#include <CLI/CLI.hpp>
#include <exception>
#include <vector>

#include "commands.h"
#include "image_io.h"
#include "interrupts.h"
#include "progress.h"

using namespace orvex_tool;

int main(int argc, char** argv) {
    CleanUpOnInterrupt();
    CLI::App app{"orvex: turns raw Bayer mosaics into colour images", "orvex"};
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
        "  orvex help convert                  a command's options and examples\n"
        "Exit status: 0 done, 2 usage, 3 input, 4 output.");

    const std::vector<Command> commands = {
        AddDemoCommand(app), AddConvertCommand(app), AddZoomCommand(app), AddEvaluateCommand(app),
        AddInfoCommand(app), AddFormatsCommand(app), AddHelpCommand(app),
    };
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kOk : kUsageError;
    }
    try {
        for (const Command& command : commands)
            if (command.app->parsed()) return FinishStandardOutput(command.run());
        return kUsageError;
    } catch (const ToolError& e) {
        Err().Line(e.what());
        return e.status();
    } catch (const std::exception& e) {
        Err().Line(e.what());
        return kOutputError;
    }
}
