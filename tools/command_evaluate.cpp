// orvex evaluate: the methods ranked by PSNR on folders of photographs.
#include <memory>

#include "command_options.h"
#include "commands.h"
#include "evaluate.h"
#include "library_calls.h"

namespace orvex_tool {

Command AddEvaluateCommand(CLI::App& app) {
    auto o = std::make_shared<EvaluateOptions>();
    auto pattern = std::make_shared<std::string>("RGGB");
    EvaluateOptions& evaluate = *o;
    auto* evaluateCmd = app.add_subcommand(
        "evaluate", "Rank the methods by PSNR on folders of photographs (PNG or TIFF)");
    evaluateCmd
        ->add_option("folders", evaluate.folders,
                     "Folders of colour photographs, each measured as its own set")
        ->required();
    evaluateCmd->add_option("--pattern", *pattern, "Bayer pattern of the mosaics, or all")
        ->transform(CLI::IsMember(
            [] {
                std::vector<std::string> names = PatternChoices();
                names.push_back("all");
                return names;
            }(),
            CLI::ignore_case))
        ->capture_default_str();
    evaluateCmd->add_flag("--wide", evaluate.wide,
                          "8-bit photographs through the 16-bit path (samples x 257)");
    evaluateCmd->add_option("--chart", evaluate.chart, "SVG chart of PSNR against speed");
    evaluateCmd
        ->add_option("--threads", evaluate.threads, "Threads per conversion (0: one per core)")
        ->capture_default_str();
    evaluateCmd->footer(
        "Examples:\n"
        "  orvex evaluate photos/ --pattern all --chart quality.svg\n"
        "  orvex evaluate photos/ --wide --threads 1\n"
        "  orvex evaluate kodak/ mcmaster/ --chart quality.svg\n"
        "Each photograph is sampled into a mosaic and converted by every method; the table\n"
        "gives the mean PSNR over the images, without and with an 8-pixel frame. Several\n"
        "folders: first every method's PSNR on each set, then each set's own table.");

    return {evaluateCmd, [o, pattern] {
                o->patterns.clear();
                for (uint32_t p = 0; p < PatternChoices().size(); ++p)
                    if (*pattern == "all" || *pattern == PatternChoices()[p])
                        o->patterns.push_back(p);
                return RunEvaluate(*o, LibraryMethods(o->threads));
            }};
}

}  // namespace orvex_tool
