// Mosaic inputs of the convert and zoom commands: files and raw samples,
// plain or bit-packed as cameras send them.
#pragma once

#include <atomic>
#include <string>

#include "command_options.h"
#include "image_io.h"

namespace orvex_tool {

// Reports a missing or unreadable input before anything about the output.
void ProbeInput(const std::string& path);

// Reads a mosaic and says what the file's contents made the tool do;
// geometryWarned keeps the warning about raw-sample options to one a run.
LoadedImage ReadMosaic(const std::string& path, const MosaicOptions& mosaic,
                       std::atomic<bool>& geometryWarned);

}  // namespace orvex_tool
