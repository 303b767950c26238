// orvex formats: the library's layouts, raw frame formats, patterns and methods
// with their codes, as the library lists them.
#include <cstdio>
#include <cstring>

#include "command_options.h"
#include "commands.h"
#include "library_calls.h"

namespace orvex_tool {
namespace {

// What each method does, for the listing; a method the library adds later
// is listed by its name alone.
const char* About(const char* method) {
    static const struct {
        const char* name;
        const char* about;
    } kAbout[] = {
        {"bilinear", "mean of the nearest sites of each colour"},
        {"block", "each 2 x 2 cell's colours for its four pixels"},
        {"cubic-float", "cubic convolution of the colour planes, single precision"},
        {"cubic-fixed", "cubic convolution in fixed point"},
        {"mhc", "gradient-corrected linear (Malvar, He and Cutler 2004)"},
        {"dlmmse", "directional LMMSE, edge-directed (Zhang and Wu 2005); for stills"},
        {"ri",
         "residual interpolation (Kiku et al. 2013), LMMSE-fused; for strongly coloured stills"},
    };
    for (const auto& a : kAbout)
        if (std::strcmp(a.name, method) == 0) return a.about;
    return "";
}

std::string Described(const FormatFacts& f) {
    std::string text = f.planar ? "planar, " : f.channels > 1 ? "interleaved, " : "";
    text += f.bits == 32 ? "float" : std::to_string(f.bits) + "-bit";
    text += " samples, ";
    text += f.channels == 1 ? "grey" : f.hasAlpha ? "colour and alpha" : "colour";
    return text;
}

int RunFormats() {
    std::printf("Layouts (--layout):\n");
    for (const uint32_t code : LayoutCodes())
        std::printf("  %2u  %-13s %s\n", code, FormatName(code), Described(Facts(code)).c_str());
    std::printf("\nRaw frame formats (--format):\n");
    for (const std::string& name : RawFormatChoices())
        std::printf("  %2u  %-13s %u-bit samples\n", FindRawFormat(name), name.c_str(),
                    Facts(FindRawFormat(name)).bits);
    std::printf("\nPatterns (--pattern):\n");
    for (uint32_t p = 0; p < PatternChoices().size(); ++p)
        std::printf("  %2u  %s\n", p, PatternChoices()[p].c_str());
    std::printf("\nMethods (--method):\n");
    for (const uint32_t code : MethodCodes())
        std::printf("  %2u  %-13s %s\n", code, orvex_method_name(code),
                    About(orvex_method_name(code)));
    std::printf("      cubic         the former name of cubic-float, still accepted\n");
    std::printf(
        "\nInputs: raw samples, PGM (P5), 8/16-bit grey PNG or TIFF, camera raw files,\n"
        "  - for standard input\n"
        "Outputs by extension: .png .tif .tiff .ppm .pgm .raw (.raw: the layout's bytes),\n"
        "  - for standard output (type from --to)\n");
    return kOk;
}

}  // namespace

Command AddFormatsCommand(CLI::App& app) {
    auto* formatsCmd = app.add_subcommand(
        "formats", "List layouts, raw frame formats, patterns and methods with their codes");
    formatsCmd->footer(
        "Examples:\n"
        "  orvex formats\n"
        "  orvex formats | grep rgb48");

    return {formatsCmd, RunFormats};
}

}  // namespace orvex_tool
