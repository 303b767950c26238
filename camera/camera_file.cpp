#include "camera_file.h"

#include <fcntl.h>
#include <libraw/libraw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

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

// A TIFF-based file's CFAPattern colours (0 red, 1 green, 2 blue, 3 cyan,
// 4 magenta, 5 yellow, 6 white), looked up in its directories and their
// sub-directories: LibRaw turns a C, M, Y pattern into red, green and blue
// indices without saying so. `at(offset, n)` reads n bytes or fewer.
template <typename At>
std::string CfaColours(At at) {
    const std::string head = at(0, 8);
    if (head.size() < 8 || (head.compare(0, 2, "II") != 0 && head.compare(0, 2, "MM") != 0))
        return "";
    const bool le = head[0] == 'I';
    auto num = [&](const std::string& s, size_t i, int n) {
        uint32_t v = 0;
        for (int k = 0; k < n; ++k)
            v |= uint32_t(uint8_t(s[i + size_t(k)])) << (8 * (le ? k : n - 1 - k));
        return v;
    };
    std::vector<uint32_t> dirs = {num(head, 4, 4)};
    for (size_t d = 0; d < dirs.size() && d < 16; ++d) {
        const std::string count = at(dirs[d], 2);
        if (count.size() < 2) continue;
        const uint32_t n = std::min<uint32_t>(num(count, 0, 2), 512);
        const std::string entries = at(dirs[d] + 2, n * 12);
        for (size_t e = 0; e + 12 <= entries.size(); e += 12) {
            const uint32_t tag = num(entries, e, 2), items = num(entries, e + 4, 4);
            const uint32_t value = num(entries, e + 8, 4);
            if (tag == 330)  // SubIFDs
                for (uint32_t i = 0; i < std::min<uint32_t>(items, 8); ++i) {
                    const std::string off =
                        items == 1 ? entries.substr(e + 8, 4) : at(value + 4 * i, 4);
                    if (off.size() == 4) dirs.push_back(num(off, 0, 4));
                }
            if (tag == 0x828e && items > 0 && items <= 64)
                return items <= 4 ? entries.substr(e + 8, items) : at(value, items);
        }
    }
    return "";
}

void CheckFilterColours(const std::string& colours, const std::string& name) {
    for (const char c : colours)
        if (uint8_t(c) > 2)
            Fail(CameraError::kUnsupported, name,
                 "a mosaic whose colour filter array holds cyan, magenta, yellow or white; only "
                 "2 x 2 red, green and blue mosaics are developed");
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

int OrientationTag(int flip) {
    static const int kTags[8] = {1, 2, 4, 3, 5, 8, 6, 7};
    return flip >= 0 && flip < 8 ? kTags[flip] : 0;
}

const char* OrientationMeaning(int flip) {
    static const char* const kNames[8] = {"as stored",
                                          "mirrored left to right",
                                          "mirrored top to bottom",
                                          "turned 180 degrees",
                                          "transposed",
                                          "turned 90 degrees counter-clockwise",
                                          "turned 90 degrees clockwise",
                                          "transposed and turned 180 degrees"};
    return flip >= 0 && flip < 8 ? kNames[flip] : "unknown";
}

bool IsCameraFileName(const std::string& path) {
    static const char* const kExtensions[] = {
        "dng", "cr2", "cr3", "crw", "nef", "nrw", "arw", "srf", "sr2", "orf", "rw2", "raf",
        "pef", "srw", "3fr", "erf", "kdc", "dcr", "mos", "mrw", "iiq", "rwl", "x3f"};
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return false;
    std::string ext = path.substr(dot + 1);
    for (char& ch : ext) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    return std::any_of(std::begin(kExtensions), std::end(kExtensions),
                       [&](const char* e) { return ext == e; });
}

}  // namespace orvex_camera
