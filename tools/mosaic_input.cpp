#include "mosaic_input.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "library_calls.h"
#include "orvex2.h"

namespace orvex_tool {
namespace {

// A packed headerless frame unpacked by the library into 16-bit samples.
LoadedImage ReadBitPacked(const std::string& path, const MosaicOptions& o) {
    const uint32_t format = FindRawFormat(o.rawFormat);
    const uint32_t w = o.geometry.width, h = o.geometry.height;
    if (w == 0 || h == 0) throw ToolError(kUsageError, "--format needs --width and --height");
    const size_t row = orvex_image_bytes(format, w, 1);
    if (row == 0)
        throw ToolError(kUsageError, std::to_string(w) + " samples do not fill whole bytes of " +
                                         o.rawFormat + " rows");
    const size_t stride = o.stride == 0 ? row : o.stride;
    if (stride < row) throw ToolError(kUsageError, "--stride is shorter than a row");
    CheckPixels(InputName(path), w, h, o.limits);
    // Only the frame is read; bytes after it (a trailer some cameras send)
    // are said to be ignored.
    const uint64_t frame = uint64_t(stride) * (h - 1) + row;
    bool more = false;
    const std::vector<uint8_t> bytes = ReadInputBytes(path, frame, more);
    if (more)
        Warn(InputName(path) + ": bytes after the " + std::to_string(frame) + " of the " +
             std::to_string(w) + " x " + std::to_string(h) + " " + o.rawFormat + " frame ignored");
    if (bytes.size() < frame)
        throw ToolError(kInputError, InputName(path) + ": " + std::to_string(bytes.size()) +
                                         " bytes do not hold " + std::to_string(w) + " x " +
                                         std::to_string(h) + " " + o.rawFormat + " samples");
    LoadedImage loaded;
    loaded.container = Container::Raw;
    Raster& r = loaded.raster;
    r.width = w;
    r.height = h;
    r.channels = 1;
    AllocateSamples(r, InputName(path));
    // Big-endian 16-bit containers hold --depth significant bits (16 unless
    // given); the bit-packed formats hold their own.
    uint32_t bits = Facts(format).bits;
    if (format == ORVEX_MOSAIC16_BE && Given(o.depthOption)) bits = o.geometry.depth;
    if (bits < 9 && format == ORVEX_MOSAIC16_BE)
        throw ToolError(kUsageError, "--depth is 9 to 16 for " + o.rawFormat + " samples");
    orvex_image src{}, dst{};
    src.data = const_cast<uint8_t*>(bytes.data());
    src.bits = bits;
    src.width = w;
    src.height = h;
    src.stride = ptrdiff_t(stride);
    src.format = format;
    dst.data = r.samples.data();
    dst.width = w;
    dst.height = h;
    dst.format = ORVEX_MOSAIC16;
    if (const int status = orvex_unpack(&src, &dst, nullptr); status != ORVEX_OK)
        throw ToolError(kInputError, InputName(path) + ": " + orvex_status_text(status));
    r.bitDepth = bits;
    // As for little-endian raw samples: values above --depth are clamped and counted.
    const uint16_t top = uint16_t((1u << bits) - 1);
    for (uint16_t& v : r.samples) {
        loaded.clamped += v > top;
        v = std::min(v, top);
    }
    return loaded;
}

}  // namespace

// Reports a missing or unreadable input before anything about the output.
void ProbeInput(const std::string& path) {
    struct stat st {};
    if (path != "-" && stat(path.c_str(), &st) != 0)
        throw ToolError(kInputError, path + ": " + std::strerror(errno));
}

// Reads a mosaic and says what the file's contents made the tool do.
LoadedImage ReadMosaic(const std::string& path, const MosaicOptions& mosaic,
                       std::atomic<bool>& geometryWarned) {
    LoadedImage loaded = mosaic.rawFormat.empty() ? ReadImage(path, mosaic.geometry, mosaic.limits)
                                                : ReadBitPacked(path, mosaic);
    const std::string name = InputName(path);
    if (loaded.clamped > 0) {
        const uint32_t top = (1u << loaded.raster.bitDepth) - 1;
        Warn(name + ": " + std::to_string(loaded.clamped) + " samples above " +
             std::to_string(top) +
             (loaded.container == Container::Raw
                  ? " (--depth " + std::to_string(mosaic.geometry.depth) + ")"
                  : " (the file's maximum value)") +
             " clamped to " + std::to_string(top));
    }
    if (loaded.container != Container::Raw && mosaic.geometryGiven &&
        !geometryWarned.exchange(true))
        Warn("--width, --height and --depth describe raw samples; " + name + " is a " +
             ContainerName(loaded.container) + " file, so they have no effect");
    return loaded;
}

}  // namespace orvex_tool
