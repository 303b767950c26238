// Image containers of the command-line tool: raw sample files, PGM/PPM,
// PNG and TIFF, read into and written from one interleaved raster type.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvex_tool {

// Exit statuses of the tool, one per kind of failure.
enum ExitStatus : int { kOk = 0, kUsageError = 2, kInputError = 3, kOutputError = 4 };

// A failure the tool reports in one line and exits on.
class ToolError : public std::runtime_error {
  public:
    ToolError(ExitStatus status, const std::string& message)
        : std::runtime_error(message), status_(status) {}
    ExitStatus status() const { return status_; }

  private:
    ExitStatus status_;
};

enum class Container { Raw, Pgm, Ppm, Png, Tiff };

const char* ContainerName(Container c);

// Interleaved samples, 1 (grey), 3 (RGB) or 4 (RGBA) channels.
struct Raster {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t channels = 1;
    uint32_t bitDepth = 8;  // significant bits per sample, 1 to 16
    std::vector<uint16_t> samples;

    bool Wide() const { return bitDepth > 8; }
    uint16_t& At(size_t x, size_t y, size_t c) { return samples[(y * width + x) * channels + c]; }
    uint16_t At(size_t x, size_t y, size_t c) const {
        return samples[(y * width + x) * channels + c];
    }
};

// Geometry of a headerless raw mosaic: 8-bit samples for depth 8, else
// 16-bit little-endian samples.
struct RawGeometry {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 8;
};

struct LoadedImage {
    Raster raster;
    Container container;
};

// Reads a PGM, PPM, PNG or TIFF by its signature; anything else is taken as
// raw samples of the given geometry (width and height 0: not given).
LoadedImage ReadImage(const std::string& path, const RawGeometry& raw);

// The container an output file name asks for, by its extension.
Container ContainerForPath(const std::string& path);

// Writes through a temporary file in the same folder and renames it into
// place, so a failure leaves no partial file. Refuses to replace an existing
// file unless overwrite is set.
void WriteImage(const std::string& path, const Raster& image, Container container, bool overwrite);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes, bool overwrite);

// Fails with an output error if path exists and overwrite is not set.
void CheckWritable(const std::string& path, bool overwrite);

}  // namespace orvex_tool
