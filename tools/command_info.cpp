// orvex info: what camera files say about their mosaics.
#include <algorithm>
#include <cstdio>
#include <memory>

#include "camera_raw.h"
#include "command_options.h"
#include "commands.h"

namespace orvex_tool {

Command AddInfoCommand(CLI::App& app) {
    struct InfoOptions {
        std::vector<std::string> files;
        bool json = false;
    };
    auto o = std::make_shared<InfoOptions>();
    auto* infoCmd = app.add_subcommand("info", "Describe camera raw files (DNG, CR2, NEF, ...)");
    infoCmd->add_option("files", o->files, "Camera raw files")->required();
    infoCmd->add_flag("--json", o->json, "One JSON object a line, for scripts");
    infoCmd->footer(
        "Examples:\n"
        "  orvex info IMG_0001.CR2 --json\n"
        "  orvex info shots/*.dng");

    return {infoCmd, [o] {
                // Every file is described or reported; the status is the worst.
                int status = kOk;
                for (const std::string& file : o->files) {
                    try {
                        std::fputs(DescribeCameraFile(file, ReadCameraFile(file), o->json).c_str(),
                                   stdout);
                        if (o->json) std::fputs("\n", stdout);
                    } catch (const ToolError& e) {
                        std::fprintf(stderr, "orvex: %s\n", e.what());
                        status = std::max(status, int(e.status()));
                    }
                }
                return status;
            }};
}

}  // namespace orvex_tool
