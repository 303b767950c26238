// Image containers of the command-line tool: raw sample files, PGM/PPM,
// PNG and TIFF, read into and written from one interleaved raster type.
// The path "-" stands for standard input or standard output.
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
    // Samples range over 0 .. 2^bitDepth - 1 (1 to 16). PPM/PGM state it as
    // their maxval, TIFF as MaxSampleValue when it is not 8 or 16.
    uint32_t bitDepth = 8;
    // Sample width of PNG and TIFF, 8 or 16; 0: the narrowest that holds bitDepth.
    uint32_t storedBits = 0;
    // Samples scaled up from data of this many bits (PNG sBIT); 0: not scaled.
    uint32_t significantBits = 0;
    std::vector<uint16_t> samples;

    bool Wide() const { return bitDepth > 8; }
    uint32_t StoredBits() const { return storedBits ? storedBits : (Wide() ? 16 : 8); }
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

// Pixels (width x height) an input may claim before it is refused unread:
// a quarter of a gigapixel (--max-pixels raises it).
constexpr uint64_t kDefaultMaxPixels = uint64_t(1) << 28;

struct InputLimits {
    uint64_t maxPixels = kDefaultMaxPixels;
    bool acceptCorrupt = false;  // camera files: read data LibRaw calls corrupt (warned)
};

// At most `limit` bytes of a file, or of standard input for "-"; `more`
// says whether it held more.
std::vector<uint8_t> ReadInputBytes(const std::string& path, uint64_t limit, bool& more);

// Refuses (input error, naming the limit) more than limits.maxPixels pixels.
void CheckPixels(const std::string& name, uint64_t width, uint64_t height,
                 const InputLimits& limits);
// Sizes r.samples for `rows` rows (default: its height); running out of
// memory is an input error, "input too large for this machine: W x H".
void AllocateSamples(Raster& r, const std::string& name, size_t rows);
void AllocateSamples(Raster& r, const std::string& name);
[[noreturn]] void FailTooLarge(const std::string& name, uint64_t width, uint64_t height);

struct LoadedImage {
    Raster raster;
    Container container;
    // Samples above the range the file declares (its maxval, or --depth for
    // raw samples), clamped to it.
    size_t clamped = 0;
};

// Reads a PGM, PPM, PNG or TIFF by its signature; anything else is taken as
// raw samples of the given geometry (width and height 0: not given). TIFF
// files that are camera raw files (a colour filter array, or DNG) are refused.
// Every reader checks the size a header claims against the pixel limit and,
// for uncompressed data, against the bytes present before allocating.
LoadedImage ReadImage(const std::string& path, const RawGeometry& raw,
                      const InputLimits& limits = {});

// How messages name an input: "standard input" for "-".
std::string InputName(const std::string& path);

// The container an output file name asks for, by its extension.
Container ContainerForPath(const std::string& path);
// The container a type name (--to) asks for: png, tif, tiff, ppm, pgm, raw.
Container ContainerForName(const std::string& name);

// PNG compression: 0 stored, 1 Huffman coding only (fast), 2-9 deflate levels.
constexpr int kDefaultPngLevel = 1;

// Writes through a temporary file in the same folder and renames it into
// place, so a failure leaves no partial file. Refuses to replace an existing
// file unless overwrite is set.
void WriteImage(const std::string& path, const Raster& image, Container container, bool overwrite,
                int pngLevel = kDefaultPngLevel);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes, bool overwrite);

// Fails with an output error if path exists and overwrite is not set.
void CheckWritable(const std::string& path, bool overwrite);

}  // namespace orvex_tool
