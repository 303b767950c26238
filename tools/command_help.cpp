// orvex help [COMMAND]: the help of the tool or of one command, the same
// text as --help.
#include <cstdio>
#include <memory>

#include "commands.h"
#include "image_io.h"

namespace orvex_tool {

Command AddHelpCommand(CLI::App& app) {
    auto command = std::make_shared<std::string>();
    auto* helpCmd = app.add_subcommand("help", "Print the help of the tool or of a command");
    helpCmd->add_option("command", *command, "A command, e.g. convert (default: the tool)");
    helpCmd->footer(
        "Examples:\n"
        "  orvex help convert                  the options of convert, as convert --help\n"
        "  orvex help                          the commands, as orvex --help");
    return {helpCmd, [&app, command] {
                if (command->empty()) {
                    // app.help() would describe the selected command, help itself.
                    std::fputs(app.get_formatter()
                                   ->make_help(&app, app.get_name(), CLI::AppFormatMode::Normal)
                                   .c_str(),
                               stdout);
                    return int(kOk);
                }
                for (const CLI::App* sub : app.get_subcommands({}))
                    if (sub->get_name() == *command) {
                        std::fputs(sub->help(app.get_name()).c_str(), stdout);
                        return int(kOk);
                    }
                throw ToolError(kUsageError, "no command '" + *command + "' (see orvex --help)");
            }};
}

}  // namespace orvex_tool
