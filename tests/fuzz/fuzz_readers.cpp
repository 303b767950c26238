// libFuzzer over every reader of the command-line tool: PGM, PNG and TIFF
// by their signatures, raw samples and packed frames with the options the
// input's first bytes choose, and camera files through LibRaw. An input is
// written to a file and read as `orvex convert` reads it; refusals are the
// expected outcome, memory errors and allocations out of proportion to the
// input are findings (the test runs with -malloc_limit_mb and -rss_limit_mb).
//
// Input: byte 0 the reader (0 by signature, 1 raw samples, 2 raw frame formats, 3 camera
// file), bytes 1-2 and 3-4 width and height (little-endian, modulo 4097),
// byte 5 the sample depth (8 + its value modulo 9), byte 6 the packing,
// byte 7 the stride in units of 4 bytes (0: rows unpadded); then the file.
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

#include "camera_raw.h"
#include "command_options.h"
#include "library_calls.h"
#include "mosaic_input.h"

namespace {

constexpr size_t kHeader = 8;

const std::string& Scratch() {
    static const std::string path = "/tmp/orvex-fuzz-readers-" + std::to_string(::getpid());
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHeader) return 0;
    const std::string& path = Scratch();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data + kHeader, 1, size - kHeader, f);
        std::fclose(f);
    } else {
        return 0;
    }
    using namespace orvex_tool;
    MosaicOptions o;
    // A small limit keeps every accepted picture small; what the header
    // claims beyond it must be refused before memory is taken.
    o.limits.maxPixels = uint64_t(1) << 20;
    o.limits.acceptCorrupt = data[7] & 1;
    const int reader = data[0] % 4;
    if (reader == 1 || reader == 2) {
        o.geometry.width = (data[1] | data[2] << 8) % 4097;
        o.geometry.height = (data[3] | data[4] << 8) % 4097;
        o.geometry.depth = 8 + data[5] % 9;
        o.geometryGiven = true;
    }
    if (reader == 2) {
        const std::vector<std::string> packings = RawFormatChoices();
        o.rawFormat = packings[data[6] % packings.size()];
        o.stride = uint32_t(data[7]) * 4;
    }
    std::atomic<bool> warned{true};
    try {
        if (reader == 3)
            ReadCameraFile(path, o.limits);
        else
            ReadMosaic(path, o, warned);
    } catch (const ToolError&) {
    }
    return 0;
}
