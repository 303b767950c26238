#include "image_io.h"

#include <fcntl.h>
#include <spng.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

namespace orvex_tool {
namespace {

[[noreturn]] void Fail(ExitStatus status, const std::string& path, const std::string& what) {
    throw ToolError(status, path + ": " + what);
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) Fail(kInputError, path, std::strerror(errno));
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    if (in.bad()) Fail(kInputError, path, "read error");
    return bytes;
}

uint32_t BitsFor(uint32_t maxValue) {
    uint32_t bits = 1;
    while ((1u << bits) - 1 < maxValue) ++bits;
    return bits;
}

std::string LowerExtension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

// ---- Netpbm (P5 grey, P6 colour). ----

struct PnmHeader {
    char kind;
    uint32_t width, height, maxValue;
    size_t dataOffset;
};

PnmHeader ParsePnmHeader(const std::vector<uint8_t>& b, const std::string& path) {
    size_t pos = 2;
    uint32_t fields[3];
    for (uint32_t& field : fields) {
        while (pos < b.size() && (std::isspace(b[pos]) || b[pos] == '#')) {
            if (b[pos] == '#')
                while (pos < b.size() && b[pos] != '\n') ++pos;
            else
                ++pos;
        }
        if (pos >= b.size() || !std::isdigit(b[pos])) Fail(kInputError, path, "bad PNM header");
        uint64_t v = 0;
        while (pos < b.size() && std::isdigit(b[pos])) {
            v = v * 10 + (b[pos++] - '0');
            if (v > UINT32_MAX) Fail(kInputError, path, "bad PNM header");
        }
        field = static_cast<uint32_t>(v);
    }
    if (pos >= b.size() || !std::isspace(b[pos])) Fail(kInputError, path, "bad PNM header");
    if (fields[2] == 0 || fields[2] > 65535)
        Fail(kInputError, path, "PNM maximum value must be 1 to 65535");
    return {static_cast<char>(b[1]), fields[0], fields[1], fields[2], pos + 1};
}

Raster ReadPnm(const std::vector<uint8_t>& b, const std::string& path) {
    const PnmHeader h = ParsePnmHeader(b, path);
    Raster r;
    r.width = h.width;
    r.height = h.height;
    r.channels = h.kind == '6' ? 3 : 1;
    r.bitDepth = BitsFor(h.maxValue);
    const size_t bytesPerSample = h.maxValue > 255 ? 2 : 1;
    const size_t count = size_t(r.width) * r.height * r.channels;
    if (b.size() - h.dataOffset < count * bytesPerSample)
        Fail(kInputError, path, "truncated: fewer samples than the header announces");
    r.samples.resize(count);
    const uint8_t* p = b.data() + h.dataOffset;
    for (size_t i = 0; i < count; ++i)  // 16-bit Netpbm samples are big-endian
        r.samples[i] = bytesPerSample == 2 ? uint16_t(p[2 * i] << 8 | p[2 * i + 1]) : p[i];
    return r;
}

std::vector<uint8_t> EncodePnm(const Raster& r) {
    const bool colour = r.channels >= 3;
    const uint32_t maxValue = (1u << r.bitDepth) - 1;
    const std::string header = std::string(colour ? "P6" : "P5") + "\n" + std::to_string(r.width) +
                               " " + std::to_string(r.height) + "\n" + std::to_string(maxValue) +
                               "\n";
    std::vector<uint8_t> out(header.begin(), header.end());
    const size_t channels = colour ? 3 : 1;  // P6 has no alpha
    for (size_t i = 0; i < size_t(r.width) * r.height; ++i)
        for (size_t c = 0; c < channels; ++c) {
            const uint16_t v = r.samples[i * r.channels + c];
            if (maxValue > 255) out.push_back(static_cast<uint8_t>(v >> 8));
            out.push_back(static_cast<uint8_t>(v));
        }
    return out;
}

// ---- PNG. ----

struct SpngDeleter {
    void operator()(spng_ctx* c) const { spng_ctx_free(c); }
};
using Spng = std::unique_ptr<spng_ctx, SpngDeleter>;

Raster ReadPng(const std::vector<uint8_t>& b, const std::string& path) {
    Spng ctx(spng_ctx_new(0));
    spng_ihdr ihdr{};
    int err = spng_set_png_buffer(ctx.get(), b.data(), b.size());
    if (!err) err = spng_get_ihdr(ctx.get(), &ihdr);
    if (err) Fail(kInputError, path, std::string("PNG: ") + spng_strerror(err));
    const std::pair<uint8_t, uint32_t> kinds[] = {{SPNG_COLOR_TYPE_GRAYSCALE, 1},
                                                  {SPNG_COLOR_TYPE_TRUECOLOR, 3},
                                                  {SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, 4}};
    uint32_t channels = 0;
    for (const auto& [type, n] : kinds)
        if (ihdr.color_type == type) channels = n;
    if (channels == 0 || (ihdr.bit_depth != 8 && ihdr.bit_depth != 16))
        Fail(kInputError, path, "PNG must be 8- or 16-bit grey, RGB or RGBA");
    size_t size = 0;
    err = spng_decoded_image_size(ctx.get(), SPNG_FMT_PNG, &size);
    std::vector<uint8_t> pixels(err ? 0 : size);
    if (!err) err = spng_decode_image(ctx.get(), pixels.data(), size, SPNG_FMT_PNG, 0);
    if (err) Fail(kInputError, path, std::string("PNG: ") + spng_strerror(err));
    Raster r;
    r.width = ihdr.width;
    r.height = ihdr.height;
    r.channels = channels;
    r.bitDepth = ihdr.bit_depth;
    r.samples.resize(size_t(r.width) * r.height * channels);
    if (ihdr.bit_depth == 16)
        std::memcpy(r.samples.data(), pixels.data(), r.samples.size() * 2);  // host order
    else
        std::copy(pixels.begin(), pixels.begin() + r.samples.size(), r.samples.begin());
    return r;
}

std::vector<uint8_t> EncodePng(const Raster& r) {
    Spng ctx(spng_ctx_new(SPNG_CTX_ENCODER));
    spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
    spng_ihdr ihdr{};
    ihdr.width = r.width;
    ihdr.height = r.height;
    ihdr.bit_depth = r.Wide() ? 16 : 8;
    ihdr.color_type = r.channels == 1   ? SPNG_COLOR_TYPE_GRAYSCALE
                      : r.channels == 3 ? SPNG_COLOR_TYPE_TRUECOLOR
                                        : SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    std::vector<uint8_t> pixels;
    if (r.Wide()) {
        pixels.resize(r.samples.size() * 2);
        std::memcpy(pixels.data(), r.samples.data(), pixels.size());
    } else {
        pixels.assign(r.samples.begin(), r.samples.end());
    }
    int err = spng_set_ihdr(ctx.get(), &ihdr);
    if (!err)
        err = spng_encode_image(ctx.get(), pixels.data(), pixels.size(), SPNG_FMT_PNG,
                                SPNG_ENCODE_FINALIZE);
    size_t len = 0;
    void* png = err ? nullptr : spng_get_png_buffer(ctx.get(), &len, &err);
    if (err || png == nullptr)
        throw ToolError(kOutputError, std::string("PNG encoding: ") + spng_strerror(err));
    std::vector<uint8_t> out(static_cast<uint8_t*>(png), static_cast<uint8_t*>(png) + len);
    std::free(png);
    return out;
}

// ---- TIFF. ----

std::string tiffMessage;

void KeepTiffMessage(const char*, const char* fmt, va_list args) {
    char buf[512];
    std::vsnprintf(buf, sizeof buf, fmt, args);
    tiffMessage = buf;
}

struct TiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};
using Tiff = std::unique_ptr<TIFF, TiffCloser>;

Raster ReadTiff(const std::string& path) {
    TIFFSetErrorHandler(KeepTiffMessage);
    TIFFSetWarningHandler(nullptr);
    Tiff tif(TIFFOpen(path.c_str(), "r"));
    if (!tif) Fail(kInputError, path, "TIFF: " + tiffMessage);
    uint32_t w = 0, h = 0;
    uint16_t bits = 0, spp = 1, planar = PLANARCONFIG_CONTIG;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_PLANARCONFIG, &planar);
    if ((bits != 8 && bits != 16) || (spp != 1 && spp != 3 && spp != 4) ||
        (planar != PLANARCONFIG_CONTIG && spp > 1))
        Fail(kInputError, path, "TIFF must be 8- or 16-bit, 1, 3 or 4 interleaved samples");
    Raster r;
    r.width = w;
    r.height = h;
    r.channels = spp;
    r.bitDepth = bits;
    r.samples.resize(size_t(w) * h * spp);
    std::vector<uint8_t> line(TIFFScanlineSize(tif.get()));
    const size_t rowSamples = size_t(w) * spp;
    if (line.size() < rowSamples * (bits / 8)) Fail(kInputError, path, "TIFF: bad scanline size");
    for (uint32_t y = 0; y < h; ++y) {
        if (TIFFReadScanline(tif.get(), line.data(), y) < 0)
            Fail(kInputError, path, "TIFF: " + tiffMessage);
        uint16_t* row = r.samples.data() + y * rowSamples;
        if (bits == 16)
            std::memcpy(row, line.data(), rowSamples * 2);
        else
            std::copy(line.begin(), line.begin() + rowSamples, row);
    }
    return r;
}

void WriteTiffTo(int fd, const std::string& name, const Raster& r) {
    TIFFSetErrorHandler(KeepTiffMessage);
    Tiff tif(TIFFFdOpen(fd, name.c_str(), "w"));
    if (!tif) throw ToolError(kOutputError, name + ": TIFF: " + tiffMessage);
    const uint16_t bits = r.Wide() ? 16 : 8;
    TIFFSetField(tif.get(), TIFFTAG_IMAGEWIDTH, r.width);
    TIFFSetField(tif.get(), TIFFTAG_IMAGELENGTH, r.height);
    TIFFSetField(tif.get(), TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, uint16_t(r.channels));
    TIFFSetField(tif.get(), TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif.get(), TIFFTAG_PHOTOMETRIC,
                 r.channels == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    TIFFSetField(tif.get(), TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tif.get(), TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif.get(), 0));
    if (r.channels == 4) {
        const uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tif.get(), TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    const size_t rowSamples = size_t(r.width) * r.channels;
    std::vector<uint8_t> line(rowSamples * bits / 8);
    for (uint32_t y = 0; y < r.height; ++y) {
        const uint16_t* row = r.samples.data() + y * rowSamples;
        if (bits == 16)
            std::memcpy(line.data(), row, line.size());
        else
            std::copy(row, row + rowSamples, line.begin());
        if (TIFFWriteScanline(tif.get(), line.data(), y) < 0)
            throw ToolError(kOutputError, name + ": TIFF: " + tiffMessage);
    }
    if (!TIFFFlush(tif.get())) throw ToolError(kOutputError, name + ": TIFF: " + tiffMessage);
}

// ---- Atomic output. ----

// A temporary file beside the target that is removed unless committed.
class PendingFile {
  public:
    explicit PendingFile(const std::string& target) : target_(target) {
        const size_t slash = target.find_last_of('/');
        const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
        const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
        temp_ = dir + "." + base + ".tmp-XXXXXX";
        fd_ = mkstemp(temp_.data());
        if (fd_ < 0) Fail(kOutputError, target, std::strerror(errno));
    }
    ~PendingFile() {
        if (fd_ >= 0) close(fd_);
        if (!committed_) unlink(temp_.c_str());
    }
    int fd() const { return fd_; }
    // libtiff closes the descriptor it was handed.
    void Release() { fd_ = -1; }

    void Write(const std::vector<uint8_t>& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) Fail(kOutputError, target_, std::strerror(errno));
            done += size_t(n);
        }
    }

    void Commit(bool overwrite) {
        if (fd_ >= 0) {
            if (fsync(fd_) != 0 || close(fd_) != 0) {
                fd_ = -1;
                Fail(kOutputError, target_, std::strerror(errno));
            }
            fd_ = -1;
        }
        fchmodat(AT_FDCWD, temp_.c_str(), 0644, 0);
        if (!overwrite) {
            // link() fails if the target appeared meanwhile: never replaced silently.
            if (link(temp_.c_str(), target_.c_str()) != 0)
                Fail(kOutputError, target_,
                     errno == EEXIST ? "exists (use --force to replace it)" : std::strerror(errno));
            unlink(temp_.c_str());
        } else if (rename(temp_.c_str(), target_.c_str()) != 0) {
            Fail(kOutputError, target_, std::strerror(errno));
        }
        committed_ = true;
    }

  private:
    std::string target_, temp_;
    int fd_ = -1;
    bool committed_ = false;
};

}  // namespace

const char* ContainerName(Container c) {
    static const char* const kNames[] = {"raw", "PGM", "PPM", "PNG", "TIFF"};
    return kNames[static_cast<int>(c)];
}

LoadedImage ReadImage(const std::string& path, const RawGeometry& raw) {
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        Fail(kInputError, path, "is a directory");
    if (LowerExtension(path) == "tif" || LowerExtension(path) == "tiff")
        return {ReadTiff(path), Container::Tiff};
    const std::vector<uint8_t> b = ReadFile(path);
    static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (b.size() >= 8 && std::memcmp(b.data(), kPng, 8) == 0)
        return {ReadPng(b, path), Container::Png};
    if (b.size() >= 4 &&
        (std::memcmp(b.data(), "II*", 4) == 0 || std::memcmp(b.data(), "MM\0*", 4) == 0))
        return {ReadTiff(path), Container::Tiff};
    if (b.size() >= 3 && b[0] == 'P' && (b[1] == '5' || b[1] == '6'))
        return {ReadPnm(b, path), b[1] == '5' ? Container::Pgm : Container::Ppm};

    if (raw.width == 0 || raw.height == 0)
        Fail(kInputError, path, "not a PGM, PNG or TIFF; raw samples need --width and --height");
    const size_t bytesPerSample = raw.depth > 8 ? 2 : 1;
    const size_t expected = size_t(raw.width) * raw.height * bytesPerSample;
    if (b.size() != expected)
        Fail(kInputError, path,
             "raw size " + std::to_string(b.size()) + " bytes does not match " +
                 std::to_string(raw.width) + " x " + std::to_string(raw.height) + " x " +
                 std::to_string(bytesPerSample) + " = " + std::to_string(expected));
    Raster r;
    r.width = raw.width;
    r.height = raw.height;
    r.bitDepth = raw.depth;
    r.samples.resize(size_t(raw.width) * raw.height);
    for (size_t i = 0; i < r.samples.size(); ++i)
        r.samples[i] = bytesPerSample == 2 ? uint16_t(b[2 * i] | b[2 * i + 1] << 8) : b[i];
    return {r, Container::Raw};
}

Container ContainerForPath(const std::string& path) {
    const std::string ext = LowerExtension(path);
    const std::pair<const char*, Container> kExtensions[] = {
        {"png", Container::Png}, {"tif", Container::Tiff}, {"tiff", Container::Tiff},
        {"ppm", Container::Ppm}, {"pgm", Container::Pgm},  {"raw", Container::Raw},
        {"bin", Container::Raw}};
    for (const auto& [name, container] : kExtensions)
        if (ext == name) return container;
    throw ToolError(kUsageError,
                    path + ": unknown output type (use .png, .tif, .tiff, .ppm, .pgm or .raw)");
}

void CheckWritable(const std::string& path, bool overwrite) {
    struct stat st {};
    if (!overwrite && stat(path.c_str(), &st) == 0)
        Fail(kOutputError, path, "exists (use --force to replace it)");
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes, bool overwrite) {
    CheckWritable(path, overwrite);
    PendingFile file(path);
    file.Write(bytes);
    file.Commit(overwrite);
}

void WriteImage(const std::string& path, const Raster& image, Container container, bool overwrite) {
    CheckWritable(path, overwrite);
    switch (container) {
        case Container::Png:
            return WriteBytes(path, EncodePng(image), overwrite);
        case Container::Pgm:
        case Container::Ppm:
            return WriteBytes(path, EncodePnm(image), overwrite);
        case Container::Tiff: {
            PendingFile file(path);
            const int fd = file.fd();
            file.Release();
            WriteTiffTo(fd, path, image);
            file.Commit(overwrite);
            return;
        }
        case Container::Raw: {
            std::vector<uint8_t> bytes;
            for (uint16_t v : image.samples) {
                bytes.push_back(static_cast<uint8_t>(v));
                if (image.Wide()) bytes.push_back(static_cast<uint8_t>(v >> 8));
            }
            return WriteBytes(path, bytes, overwrite);
        }
    }
}

}  // namespace orvex_tool
