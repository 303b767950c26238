#include "image_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "codecs.h"

namespace orvex_tool {
namespace {

[[noreturn]] void Fail(ExitStatus status, const std::string& path, const std::string& what) {
    throw ToolError(status, path + ": " + what);
}

bool IsStream(const std::string& path) {
    return path == "-";
}

// How messages name a path: standard streams by their role.
std::string Shown(const std::string& path, bool input) {
    return IsStream(path) ? (input ? "standard input" : "standard output") : path;
}

// Reads on until `bytes` holds more than `limit` bytes (then `more`, and
// exactly limit + 1) or the source ends.
void ReadUpTo(int fd, const std::string& name, uint64_t limit, std::vector<uint8_t>& bytes,
              bool& more) {
    more = false;
    try {
        uint8_t buf[1 << 16];
        while (bytes.size() <= limit) {
            // One byte beyond the limit tells a longer source from an exact one.
            const uint64_t want = std::min<uint64_t>(sizeof buf, limit + 1 - bytes.size());
            const ssize_t n = ::read(fd, buf, size_t(want));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) Fail(kInputError, name, std::strerror(errno));
            if (n == 0) return;
            bytes.insert(bytes.end(), buf, buf + n);
        }
        more = true;
    } catch (const std::bad_alloc&) {
        Fail(kInputError, name,
             "input too large for this machine: " + std::to_string(bytes.size()) + " bytes read");
    }
}

// An open input: a file, or standard input for "-".
class Source {
  public:
    explicit Source(const std::string& path) : name_(Shown(path, true)) {
        if (IsStream(path)) return;
        fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) Fail(kInputError, path, std::strerror(errno));
        struct stat st {};
        if (fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
            close(fd_);
            Fail(kInputError, path, "is a directory");
        }
    }
    ~Source() {
        if (fd_ != STDIN_FILENO) close(fd_);
    }
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;
    void ReadUpTo(uint64_t limit, std::vector<uint8_t>& bytes, bool& more) {
        orvex_tool::ReadUpTo(fd_, name_, limit, bytes, more);
    }

  private:
    std::string name_;
    int fd_ = STDIN_FILENO;
};

// The most bytes an image within the pixel limit can take: four 16-bit
// samples a pixel and room for headers, directories and compression that
// does not pay.
uint64_t ContainerBound(const InputLimits& limits) {
    return limits.maxPixels * 9 + (uint64_t(1) << 24);
}

std::string LowerExtension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

Raster ReadRaw(const std::vector<uint8_t>& b, bool more, const std::string& name,
               const RawGeometry& raw, size_t& clamped) {
    if (raw.width == 0 || raw.height == 0)
        Fail(kInputError, name, "not a PGM, PNG or TIFF; raw samples need --width and --height");
    const size_t bytesPerSample = raw.depth > 8 ? 2 : 1;
    const uint64_t expected = uint64_t(raw.width) * raw.height * bytesPerSample;
    if (b.size() != expected)
        Fail(kInputError, name,
             "raw size " + std::string(more ? "above " : "") + std::to_string(b.size() - more) +
                 " bytes does not match " + std::to_string(raw.width) + " x " +
                 std::to_string(raw.height) + " x " + std::to_string(bytesPerSample) + " = " +
                 std::to_string(expected));
    Raster r;
    r.width = raw.width;
    r.height = raw.height;
    r.bitDepth = raw.depth;
    AllocateSamples(r, name);
    // Samples above --depth would sit in a container that claims a smaller
    // range: they are clamped and counted.
    const uint32_t top = (1u << raw.depth) - 1;
    clamped = 0;
    for (size_t i = 0; i < r.samples.size(); ++i) {
        const uint32_t v = bytesPerSample == 2 ? uint32_t(b[2 * i] | b[2 * i + 1] << 8) : b[i];
        clamped += v > top;
        r.samples[i] = static_cast<uint16_t>(v > top ? top : v);
    }
    return r;
}

}  // namespace

std::vector<uint8_t> ReadInputBytes(const std::string& path, uint64_t limit, bool& more) {
    Source source(path);
    std::vector<uint8_t> bytes;
    source.ReadUpTo(limit, bytes, more);
    if (more) bytes.pop_back();
    return bytes;
}

void CheckPixels(const std::string& name, uint64_t width, uint64_t height,
                 const InputLimits& limits) {
    if (width * height > limits.maxPixels)
        Fail(kInputError, name,
             std::to_string(width) + " x " + std::to_string(height) +
                 " pixels are more than the limit of " + std::to_string(limits.maxPixels) +
                 " (--max-pixels raises it)");
}

void FailTooLarge(const std::string& name, uint64_t width, uint64_t height) {
    Fail(kInputError, name,
         "input too large for this machine: " + std::to_string(width) + " x " +
             std::to_string(height));
}

void AllocateSamples(Raster& r, const std::string& name, size_t rows) {
    try {
        r.samples.resize(size_t(r.width) * r.channels * rows);
    } catch (const std::bad_alloc&) {
        FailTooLarge(name, r.width, r.height);
    }
}

void AllocateSamples(Raster& r, const std::string& name) {
    AllocateSamples(r, name, r.height);
}

std::string InputName(const std::string& path) {
    return Shown(path, true);
}

const char* ContainerName(Container c) {
    static const char* const kNames[] = {"raw", "PGM", "PPM", "PNG", "TIFF"};
    return kNames[static_cast<int>(c)];
}

LoadedImage ReadImage(const std::string& path, const RawGeometry& raw, const InputLimits& limits) {
    const std::string name = Shown(path, true);
    const std::string ext = LowerExtension(path);
    // Raw samples are read only as far as their geometry reaches; other
    // sources as far as an image within the pixel limit can.
    const bool geometry = raw.width != 0 && raw.height != 0;
    if (geometry) CheckPixels(name, raw.width, raw.height, limits);
    const uint64_t rawBytes = uint64_t(raw.width) * raw.height * (raw.depth > 8 ? 2 : 1);
    bool more = false;
    Source source(path);
    std::vector<uint8_t> b;
    source.ReadUpTo(8, b, more);
    static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const bool tiff = b.size() >= 4 && (std::memcmp(b.data(), "II*", 4) == 0 ||
                                        std::memcmp(b.data(), "MM\0*", 4) == 0);
    const bool png = b.size() >= 8 && std::memcmp(b.data(), kPng, 8) == 0;
    const bool pnm = b.size() >= 3 && b[0] == 'P' && (b[1] == '5' || b[1] == '6');
    const bool container = tiff || png || pnm || ext == "tif" || ext == "tiff";
    if (!container && !geometry)
        Fail(kInputError, name, "not a PGM, PNG or TIFF; raw samples need --width and --height");
    if (more) source.ReadUpTo(container ? ContainerBound(limits) : rawBytes, b, more);
    if (more && container)
        Fail(kInputError, name,
             "more than " + std::to_string(b.size() - 1) +
                 " bytes, the most an image within the pixel limit takes");
    if (tiff || ext == "tif" || ext == "tiff")
        return {DecodeTiff(b, name, limits), Container::Tiff, 0};
    if (png) return {DecodePng(b, name, limits), Container::Png, 0};
    LoadedImage loaded{};
    if (pnm) {
        loaded.raster = DecodePnm(b, name, limits, loaded.clamped);
        loaded.container = b[1] == '5' ? Container::Pgm : Container::Ppm;
    } else {
        loaded.raster = ReadRaw(b, more, name, raw, loaded.clamped);
        loaded.container = Container::Raw;
    }
    return loaded;
}

Container ContainerForName(const std::string& name) {
    const std::pair<const char*, Container> kNames[] = {
        {"png", Container::Png}, {"tif", Container::Tiff}, {"tiff", Container::Tiff},
        {"ppm", Container::Ppm}, {"pgm", Container::Pgm},  {"raw", Container::Raw},
        {"bin", Container::Raw}};
    for (const auto& [n, container] : kNames)
        if (name == n) return container;
    throw ToolError(kUsageError,
                    "unknown output type '" + name + "' (use png, tif, tiff, ppm, pgm or raw)");
}

Container ContainerForPath(const std::string& path) {
    try {
        return ContainerForName(LowerExtension(path));
    } catch (const ToolError&) {
        throw ToolError(kUsageError,
                        path + ": unknown output type (use .png, .tif, .tiff, .ppm, .pgm or .raw)");
    }
}

}  // namespace orvex_tool
