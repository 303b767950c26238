// orvex formats: the library's layouts, patterns and methods with their codes.
#include <cstdio>

#include "command_options.h"
#include "commands.h"
#include "library_calls.h"

namespace orvex_tool {
namespace {

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

Command AddFormatsCommand(CLI::App& app) {
    auto* formatsCmd =
        app.add_subcommand("formats", "List layouts, patterns and methods with their codes");
    formatsCmd->footer("Example: orvex formats");

    return {formatsCmd, RunFormats};
}

}  // namespace orvex_tool
