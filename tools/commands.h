// The tool's subcommands. Each adds itself, with its options, to the
// application and returns what runs it once the command line is parsed.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>

namespace orvex_tool {

struct Command {
    CLI::App* app;
    std::function<int()> run;  // returns the exit status
};

Command AddDemoCommand(CLI::App& app);
Command AddConvertCommand(CLI::App& app);
Command AddZoomCommand(CLI::App& app);
Command AddEvaluateCommand(CLI::App& app);
Command AddInfoCommand(CLI::App& app);
Command AddFormatsCommand(CLI::App& app);
Command AddHelpCommand(CLI::App& app);

}  // namespace orvex_tool
