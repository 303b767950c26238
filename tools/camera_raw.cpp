#include "camera_raw.h"

#include <libraw/libraw.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <sstream>

#include "orvex2.h"

namespace orvex_tool {
namespace {

std::string Extension(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return "";
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
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

// JSON's quoted form of a string (names come from the file).
std::string Quoted(const std::string& s) {
    std::string q = "\"";
    for (const char ch : s) {
        const auto u = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            q += '\\';
            q += ch;
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            q += escaped;
        } else {
            q += ch;
        }
    }
    return q + '"';
}

// What an orientation code does to the stored picture when it is developed.
const char* OrientationName(int flip) {
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

}  // namespace

bool IsCameraFile(const std::string& path) {
    static const char* const kExtensions[] = {
        "dng", "cr2", "cr3", "crw", "nef", "nrw", "arw", "srf", "sr2", "orf", "rw2", "raf",
        "pef", "srw", "3fr", "erf", "kdc", "dcr", "mos", "mrw", "iiq", "rwl", "x3f"};
    const std::string ext = Extension(path);
    return std::any_of(std::begin(kExtensions), std::end(kExtensions),
                       [&](const char* e) { return ext == e; });
}

CameraFile ReadCameraFile(const std::string& path) {
    auto raw = std::make_unique<LibRaw>();
    if (const int status = raw->open_file(path.c_str()); status != LIBRAW_SUCCESS)
        throw ToolError(kInputError, path + ": not a camera raw file LibRaw reads (" +
                                         libraw_strerror(status) + ")");
    const libraw_iparams_t& id = raw->imgdata.idata;
    const std::string what = std::string(id.make) + " " + id.model;
    if (id.is_foveon)
        throw ToolError(kInputError, path + ": a three-layer sensor's file (" + what +
                                         "); only 2 x 2 colour mosaics are developed");
    if (id.filters == 9)
        throw ToolError(kInputError, path + ": an X-Trans mosaic (" + what +
                                         "); only 2 x 2 colour mosaics are developed");
    if (id.filters == 0)
        throw ToolError(kInputError,
                        path + ": " +
                            (id.colors == 1 ? "a monochrome" : "a linear (already demosaicked)") +
                            " raw file (" + what + "); only 2 x 2 colour mosaics are developed");
    if (id.colors != 3 || id.filters < 1000)
        throw ToolError(kInputError, path + ": a mosaic of " + std::to_string(id.colors) +
                                         " colours (" + what +
                                         "); only 2 x 2 red, green and blue mosaics are developed");
    if (const int status = raw->unpack(); status != LIBRAW_SUCCESS)
        throw ToolError(kInputError, path + ": " + libraw_strerror(status));
    const libraw_image_sizes_t& s = raw->imgdata.sizes;
    const ushort* samples = raw->imgdata.rawdata.raw_image;
    if (samples == nullptr)
        throw ToolError(kInputError,
                        path + ": no one-sample-a-pixel mosaic in this file (" + what + ")");

    CameraFile f;
    f.make = id.make;
    f.model = id.model;
    f.rawWidth = s.raw_width;
    f.rawHeight = s.raw_height;
    // The pattern of the visible area's top-left cell: LibRaw's colours
    // 0 R, 1 G, 2 B, 3 second G.
    const int tl = raw->COLOR(0, 0), tr = raw->COLOR(0, 1);
    auto red = [](int c) { return c == 0; };
    auto blue = [](int c) { return c == 2; };
    const bool greenFirst = !red(tl) && !blue(tl);
    const bool redRowFirst = red(tl) || red(tr);
    f.pattern = redRowFirst ? (greenFirst ? ORVEX_GRBG : ORVEX_RGGB)
                            : (greenFirst ? ORVEX_GBRG : ORVEX_BGGR);
    const libraw_colordata_t& c = raw->imgdata.color;
    f.white = c.maximum;
    f.bits = BitsFor(c.maximum);
    // Black per site: the common level, the colour's, and the repeated pattern's.
    for (int site = 0; site < 4; ++site) {
        const int row = site >> 1, col = site & 1;
        uint32_t b = c.black + c.cblack[raw->COLOR(row, col)];
        if (c.cblack[4] != 0 && c.cblack[5] != 0)
            b += c.cblack[6 + (row % c.cblack[4]) * c.cblack[5] + col % c.cblack[5]];
        f.black[site] = b;
    }
    f.daylight = Balance(c.pre_mul);
    f.hasAsShot = Recorded(c.cam_mul);
    f.asShot = f.hasAsShot ? Balance(c.cam_mul) : f.daylight;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) f.matrix[3 * i + j] = c.rgb_cam[i][j];
    f.flip = s.flip;

    Raster& m = f.mosaic;
    m.width = s.width;
    m.height = s.height;
    m.channels = 1;
    m.bitDepth = f.bits;
    m.samples.resize(size_t(m.width) * m.height);
    const size_t pitch = s.raw_pitch / sizeof(ushort);
    const uint16_t top = uint16_t((1u << f.bits) - 1);
    for (size_t y = 0; y < m.height; ++y) {
        const ushort* row = samples + (y + s.top_margin) * pitch + s.left_margin;
        for (size_t x = 0; x < m.width; ++x) m.samples[y * m.width + x] = std::min(row[x], top);
    }
    return f;
}

Raster Develop(const CameraFile& file, const DevelopOptions& o) {
    std::array<float, 3> wb = file.asShot;
    if (o.wb == "daylight") {
        wb = file.daylight;
    } else if (o.wb == "none") {
        wb = {1, 1, 1};
    } else if (o.wb != "camera") {
        float r, g, b;
        char end;
        if (std::sscanf(o.wb.c_str(), "%f,%f,%f%c", &r, &g, &b, &end) != 3 || !(g > 0))
            throw ToolError(kUsageError, "--wb takes camera, daylight, none or R,G,B");
        wb = {r / g, 1.0f, b / g};
    }
    std::array<uint32_t, 4> black = file.black;
    if (!o.black.empty()) {
        unsigned v[4];
        char end;
        const int n =
            std::sscanf(o.black.c_str(), "%u,%u,%u,%u%c", &v[0], &v[1], &v[2], &v[3], &end);
        if (n == 1 && o.black.find(',') == std::string::npos)
            black = {v[0], v[0], v[0], v[0]};
        else if (n == 4)
            black = {v[0], v[1], v[2], v[3]};
        else
            throw ToolError(kUsageError, "--black takes N or N,N,N,N");
    }
    orvex_options options;
    orvex_init_options(&options);
    options.threads = o.threads;
    for (uint32_t site = 0; site < 4; ++site) {
        const bool redRow = (site >> 1) == (file.pattern >> 1);
        const bool redColumn = (site & 1) == (file.pattern & 1);
        const int colour = redRow == redColumn ? (redRow ? 0 : 2) : 1;
        options.black[site] = black[site];
        options.gain[site] = wb[size_t(colour)];
    }
    options.white = o.white >= 0 ? uint32_t(o.white) : file.white;
    if (o.matrix) std::copy(file.matrix.begin(), file.matrix.end(), options.matrix);
    const bool wide = o.bits == 16;
    options.transfer = o.linear || wide ? ORVEX_TRANSFER_LINEAR : ORVEX_TRANSFER_SRGB;

    const Raster& m = file.mosaic;
    orvex_image src{};
    src.data = const_cast<uint16_t*>(m.samples.data());
    src.width = m.width;
    src.height = m.height;
    src.format = ORVEX_MOSAIC16;
    src.pattern = file.pattern;
    src.bits = file.bits;
    std::vector<uint16_t> wideOut(wide ? size_t(m.width) * m.height * 3 : 0);
    std::vector<uint8_t> narrowOut(wide ? 0 : size_t(m.width) * m.height * 3);
    orvex_image dst{};
    dst.data = wide ? static_cast<void*>(wideOut.data()) : narrowOut.data();
    dst.width = m.width;
    dst.height = m.height;
    dst.format = wide ? ORVEX_RGB48 : ORVEX_RGB24;
    if (const int status = orvex_demosaic(&src, &dst, o.method, &options); status != ORVEX_OK)
        throw ToolError(kInputError, std::string("developing: ") + orvex_status_text(status));

    // Orientation: output (row, col) reads the input after swapping axes,
    // then mirroring rows, then columns, as the flip bits say.
    const bool swap = o.rotate && (file.flip & 4), flipRows = o.rotate && (file.flip & 2),
               flipCols = o.rotate && (file.flip & 1);
    Raster out;
    out.width = swap ? m.height : m.width;
    out.height = swap ? m.width : m.height;
    out.channels = 3;
    // 16-bit results hold the source's range; the container scales it.
    out.bitDepth = wide ? file.bits : 8;
    out.samples.resize(size_t(out.width) * out.height * 3);
    for (size_t row = 0; row < out.height; ++row)
        for (size_t col = 0; col < out.width; ++col) {
            size_t r = row, cc = col;
            if (swap) std::swap(r, cc);
            if (flipRows) r = m.height - 1 - r;
            if (flipCols) cc = m.width - 1 - cc;
            const size_t from = (r * m.width + cc) * 3, to = (row * out.width + col) * 3;
            for (size_t k = 0; k < 3; ++k)
                out.samples[to + k] = wide ? wideOut[from + k] : narrowOut[from + k];
        }
    return out;
}

std::string DescribeCameraFile(const std::string& path, const CameraFile& f, bool json) {
    static const char* const kPatternNames[4] = {"RGGB", "GRBG", "GBRG", "BGGR"};
    std::ostringstream o;
    auto list = [&](auto begin, auto end) {
        std::ostringstream l;
        for (auto i = begin; i != end; ++i) l << (i == begin ? "" : ", ") << *i;
        return l.str();
    };
    if (json) {
        o << "{\"file\": " << Quoted(path) << ", \"make\": " << Quoted(f.make)
          << ", \"model\": " << Quoted(f.model) << ", \"raw_size\": [" << f.rawWidth << ", "
          << f.rawHeight << "], \"visible_size\": [" << f.mosaic.width << ", " << f.mosaic.height
          << "], \"pattern\": \"" << kPatternNames[f.pattern] << "\", \"bits\": " << f.bits
          << ", \"black\": [" << list(f.black.begin(), f.black.end()) << "], \"white\": " << f.white
          << ", \"white_balance\": "
          << (f.hasAsShot ? "[" + list(f.asShot.begin(), f.asShot.end()) + "]" : "null")
          << ", \"matrix\": [" << list(f.matrix.begin(), f.matrix.end())
          << "], \"orientation\": " << f.flip
          << ", \"orientation_name\": " << Quoted(OrientationName(f.flip)) << "}";
        return o.str();
    }
    o << path << ": " << f.make << " " << f.model << "\n"
      << "  raw " << f.rawWidth << " x " << f.rawHeight << ", visible " << f.mosaic.width << " x "
      << f.mosaic.height << ", " << kPatternNames[f.pattern] << ", " << f.bits << " bits\n"
      << "  black " << list(f.black.begin(), f.black.end()) << " (top-left cell), white " << f.white
      << "\n"
      << "  white balance (R, G, B) "
      << (f.hasAsShot ? list(f.asShot.begin(), f.asShot.end()) : "none recorded") << "\n"
      << "  camera to sRGB " << list(f.matrix.begin(), f.matrix.end()) << "\n"
      << "  orientation " << f.flip << " (" << OrientationName(f.flip) << ")\n";
    return o.str();
}

}  // namespace orvex_tool
