#include "camera_file.h"

#include <fcntl.h>
#include <libraw/libraw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include "camera_tags.h"
#include "orvex2.h"

namespace orvex_camera {
namespace {

[[noreturn]] void Fail(CameraError::Kind kind, const std::string& name, const std::string& what) {
    throw CameraError(kind, name + ": " + what);
}

std::string Size(uint64_t w, uint64_t h) {
    return std::to_string(w) + " x " + std::to_string(h);
}

uint32_t BitsFor(uint32_t maximum) {
    uint32_t bits = 9;
    while (bits < 16 && (1u << bits) - 1 < maximum) ++bits;
    return bits;
}

// Green-normalised multipliers from a camera's four (R, G, B, G2).
bool Recorded(const float (&m)[4]) {
    return m[0] > 0 && m[1] > 0 && m[2] > 0;
}

std::array<float, 3> Balance(const float (&m)[4]) {
    if (!Recorded(m)) return {1, 1, 1};
    return {m[0] / m[1], 1.0f, m[2] / m[1]};
}

// LibRaw reports damaged sample data through this callback and goes on;
// offset -1 means the file ended first.
struct DataErrors {
    int count = 0;
    int firstOffset = 0;
};

void OnDataError(void* data, const char*, const int offset) {
    auto& errors = *static_cast<DataErrors*>(data);
    if (errors.count++ == 0) errors.firstOffset = offset;
}

std::string Truncated(uint64_t fileSize) {
    return "truncated: the file's " + std::to_string(fileSize) +
           " bytes end before the mosaic's data does";
}

// What an unsuccessful LibRaw call means here, in one sentence.
[[noreturn]] void FailStatus(int status, const std::string& name, const DataErrors& errors,
                             uint64_t fileSize, const libraw_image_sizes_t& s) {
    const std::string reason = std::string(" (LibRaw: ") + libraw_strerror(status) + ")";
    if (status == LIBRAW_UNSUFFICIENT_MEMORY)
        Fail(CameraError::kTooLarge, name,
             "input too large for this machine: " + Size(s.raw_width, s.raw_height));
    if (status == LIBRAW_TOO_BIG)
        Fail(CameraError::kOverLimit, name,
             Size(s.raw_width, s.raw_height) + " pixels need more memory than allowed" + reason);
    if (status == LIBRAW_IO_ERROR || (errors.count && errors.firstOffset < 0))
        Fail(CameraError::kCorrupt, name, Truncated(fileSize) + reason);
    if (errors.count)
        Fail(CameraError::kCorrupt, name,
             "camera data corrupted at byte " + std::to_string(errors.firstOffset) + reason);
    Fail(CameraError::kCorrupt, name, "unreadable camera data" + reason);
}

// Refuses what is not a 2 x 2 red, green and blue mosaic, naming what it is.
void CheckMosaic(const libraw_iparams_t& id, const std::string& name) {
    const std::string what = " (" + std::string(id.make) + " " + id.model + ")";
    const char* const only = "; only 2 x 2 red, green and blue mosaics are developed";
    if (id.is_foveon)
        Fail(CameraError::kUnsupported, name, "a three-layer sensor's file" + what + only);
    if (id.filters == 9) Fail(CameraError::kUnsupported, name, "an X-Trans mosaic" + what + only);
    if (id.filters == 0)
        Fail(CameraError::kUnsupported, name,
             std::string(id.colors == 1 ? "a monochrome" : "a linear (already demosaicked)") +
                 " raw file" + what + only);
    // LibRaw's colour indices name the letters of cdesc: a C, M, Y filter
    // array would otherwise pass for red, green and blue.
    const std::string colours(id.cdesc, strnlen(id.cdesc, sizeof id.cdesc));
    if (id.colors != 3 || id.filters < 1000 || colours.compare(0, 3, "RGB") != 0)
        Fail(CameraError::kUnsupported, name,
             "a mosaic of " + std::to_string(id.colors) + " colours" +
                 (colours.empty() ? "" : " (" + colours + ")") + what + only);
}

CameraMosaic Read(LibRaw& raw, const std::string& name, uint64_t fileSize, const Limits& limits,
                  DataErrors& errors) {
    const libraw_image_sizes_t& s = raw.imgdata.sizes;
    const libraw_iparams_t& id = raw.imgdata.idata;
    CheckMosaic(id, name);
    if (uint64_t(s.raw_width) * s.raw_height > limits.maxPixels)
        Fail(CameraError::kOverLimit, name,
             Size(s.raw_width, s.raw_height) + " pixels are more than the limit of " +
                 std::to_string(limits.maxPixels));
    if (s.width < 2 || s.height < 2 || s.top_margin + s.height > s.raw_height ||
        s.left_margin + s.width > s.raw_width)
        Fail(CameraError::kCorrupt, name,
             "a visible area of " + Size(s.width, s.height) + " at " +
                 Size(s.left_margin, s.top_margin) + " outside the sensor's " +
                 Size(s.raw_width, s.raw_height));
    if (const int status = raw.unpack(); status != LIBRAW_SUCCESS)
        FailStatus(status, name, errors, fileSize, s);
    if (errors.count) {
        const std::string what = errors.firstOffset < 0 ? Truncated(fileSize)
                                                        : "camera data corrupted at byte " +
                                                              std::to_string(errors.firstOffset);
        if (!limits.acceptCorrupt) Fail(CameraError::kCorrupt, name, what);
    }
    const ushort* samples = raw.imgdata.rawdata.raw_image;
    if (samples == nullptr || s.raw_pitch / sizeof(ushort) < s.left_margin + s.width)
        Fail(CameraError::kUnsupported, name,
             "no one-sample-a-pixel mosaic in this file (" + std::string(id.make) + " " + id.model +
                 ")");

    CameraMosaic f;
    if (errors.count)
        f.warnings.push_back(name + ": " +
                             (errors.firstOffset < 0 ? Truncated(fileSize)
                                                     : "camera data corrupted at byte " +
                                                           std::to_string(errors.firstOffset)) +
                             ", read as it is");
    f.source = name;
    f.make = id.make;
    f.model = id.model;
    f.rawWidth = s.raw_width;
    f.rawHeight = s.raw_height;
    // The pattern of the visible area's top-left cell: LibRaw's colours
    // 0 R, 1 G, 2 B, 3 second G.
    const int tl = raw.COLOR(0, 0), tr = raw.COLOR(0, 1);
    const bool greenFirst = tl != 0 && tl != 2;
    const bool redRowFirst = tl == 0 || tr == 0;
    f.pattern = redRowFirst ? (greenFirst ? ORVEX_GRBG : ORVEX_RGGB)
                            : (greenFirst ? ORVEX_GBRG : ORVEX_BGGR);
    const libraw_colordata_t& c = raw.imgdata.color;
    f.white = c.maximum;
    f.bits = BitsFor(c.maximum);
    // Black per site: the common level, the colour's, and the repeated pattern's.
    for (int site = 0; site < 4; ++site) {
        const int row = site >> 1, col = site & 1;
        uint32_t b = c.black + c.cblack[raw.COLOR(row, col)];
        if (c.cblack[4] != 0 && c.cblack[5] != 0 && c.cblack[4] * c.cblack[5] <= 4096 - 6)
            b += c.cblack[6 + (row % c.cblack[4]) * c.cblack[5] + col % c.cblack[5]];
        f.black[size_t(site)] = b;
    }
    f.daylight = Balance(c.pre_mul);
    f.hasAsShot = Recorded(c.cam_mul);
    f.asShot = f.hasAsShot ? Balance(c.cam_mul) : f.daylight;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) f.matrix[size_t(3 * i + j)] = c.rgb_cam[i][j];
    f.flip = s.flip;
    // LibRaw leaves a mark far outside any exposure where the tag is absent.
    const float baseline = c.dng_levels.baseline_exposure;
    if (baseline > -16 && baseline < 16) f.baselineExposure = baseline;

    f.width = s.width;
    f.height = s.height;
    try {
        f.samples.resize(size_t(f.width) * f.height);
    } catch (const std::bad_alloc&) {
        Fail(CameraError::kTooLarge, name,
             "input too large for this machine: " + Size(f.width, f.height));
    }
    const size_t pitch = s.raw_pitch / sizeof(ushort);
    const uint16_t top = uint16_t((1u << f.bits) - 1);
    for (size_t y = 0; y < f.height; ++y) {
        const ushort* row = samples + (y + s.top_margin) * pitch + s.left_margin;
        uint16_t* out = f.samples.data() + y * f.width;
        for (size_t x = 0; x < f.width; ++x) out[x] = std::min(row[x], top);
    }
    return f;
}

// LibRaw opened by `open`, read, and its failures put in our words.
template <typename Open>
CameraMosaic OpenAndRead(const std::string& name, uint64_t fileSize, const Limits& limits,
                         Open open) {
    DataErrors errors;
    std::unique_ptr<LibRaw> raw;
    try {
        raw = std::make_unique<LibRaw>();
        raw->set_dataerror_handler(OnDataError, &errors);
        // LibRaw's own ceiling on its buffers follows ours: four samples of
        // 16 bits for every pixel allowed, at least 64 MB.
        raw->imgdata.params.max_raw_memory_mb = unsigned(
            std::min<uint64_t>(std::max<uint64_t>(limits.maxPixels * 8 >> 20, 64), 1u << 20));
        if (const int status = open(*raw); status != LIBRAW_SUCCESS) {
            if (status == LIBRAW_FILE_UNSUPPORTED || status == LIBRAW_IO_ERROR)
                Fail(CameraError::kNotCamera, name,
                     std::string("not a camera raw file LibRaw reads (") + libraw_strerror(status) +
                         ")");
            FailStatus(status, name, errors, fileSize, raw->imgdata.sizes);
        }
        return Read(*raw, name, fileSize, limits, errors);
    } catch (const std::bad_alloc&) {
        const libraw_image_sizes_t* s = raw ? &raw->imgdata.sizes : nullptr;
        Fail(CameraError::kTooLarge, name,
             "input too large for this machine: " +
                 (s ? Size(s->raw_width, s->raw_height) : std::string("?")));
    }
}

}  // namespace

CameraMosaic ReadCameraFile(const std::string& path, const Limits& limits) {
    // The system's reason for a file that cannot be opened, before LibRaw,
    // which would call every such file an input/output error.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) Fail(CameraError::kUnreadable, path, std::strerror(errno));
    struct stat st {};
    const bool known = fstat(fd, &st) == 0;
    close(fd);
    if (known && S_ISDIR(st.st_mode)) Fail(CameraError::kUnreadable, path, "is a directory");
    const uint64_t size = known ? uint64_t(st.st_size) : 0;
    if (known && S_ISREG(st.st_mode)) {
        const int in = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (in >= 0) {
            const std::string colours = CfaColours([&](uint64_t off, size_t n) {
                std::string s(n, '\0');
                const ssize_t got = pread(in, &s[0], n, off_t(off));
                s.resize(got > 0 ? size_t(got) : 0);
                return s;
            });
            close(in);
            CheckFilterColours(colours, path);
        }
    }
    return OpenAndRead(path, size, limits,
                       [&](LibRaw& raw) { return raw.open_file(path.c_str()); });
}

CameraMosaic ReadCameraBuffer(const uint8_t* bytes, size_t size, const std::string& name,
                              const Limits& limits) {
    CheckFilterColours(CfaColours([&](uint64_t off, size_t n) {
                           return off >= size
                                      ? std::string()
                                      : std::string(reinterpret_cast<const char*>(bytes) + off,
                                                    std::min<uint64_t>(n, size - off));
                       }),
                       name);
    return OpenAndRead(name, size, limits, [&](LibRaw& raw) {
        return raw.open_buffer(const_cast<uint8_t*>(bytes), size);
    });
}

}  // namespace orvex_camera
