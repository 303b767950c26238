#include "camera_raw.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <sstream>

#include "camera_file.h"
#include "library_calls.h"
#include "orvex2.h"
#include "progress.h"

namespace orvex_tool {
namespace {

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
    return orvex_camera::IsCameraFileName(path);
}

CameraFile ReadCameraFile(const std::string& path, const InputLimits& limits) {
    orvex_camera::Limits l;
    l.maxPixels = limits.maxPixels;
    l.acceptCorrupt = limits.acceptCorrupt;
    orvex_camera::CameraMosaic m;
    try {
        m = orvex_camera::ReadCameraFile(path, l);
    } catch (const orvex_camera::CameraError& e) {
        const bool limit = e.kind() == orvex_camera::CameraError::kOverLimit;
        throw ToolError(kInputError,
                        e.what() + std::string(limit ? " (--max-pixels raises it)" : ""));
    }
    for (const std::string& warning : m.warnings) Err().Line("warning: " + warning);
    CameraFile f;
    f.source = path;
    f.make = std::move(m.make);
    f.model = std::move(m.model);
    f.rawWidth = m.rawWidth;
    f.rawHeight = m.rawHeight;
    f.pattern = m.pattern;
    f.bits = m.bits;
    f.black = m.black;
    f.white = m.white;
    f.asShot = m.asShot;
    f.daylight = m.daylight;
    f.hasAsShot = m.hasAsShot;
    f.matrix = m.matrix;
    f.flip = m.flip;
    f.mosaic.width = m.width;
    f.mosaic.height = m.height;
    f.mosaic.channels = 1;
    f.mosaic.bitDepth = m.bits;
    f.mosaic.samples = std::move(m.samples);
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
    if (const int status = orvex_demosaic(&src, &dst, o.method, &options); status != ORVEX_OK) {
        // The library's words, and the levels that explain them.
        std::string why;
        const uint32_t highest = *std::max_element(options.black, options.black + 4);
        if (highest >= options.white)
            why = ": black level " + std::to_string(highest) +
                  (highest > options.white ? " is above" : " equals") + " the white level " +
                  std::to_string(options.white);
        throw ToolError(kInputError,
                        file.source + ": developing: " + orvex_status_text(status) + why);
    }

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
          << "], \"pattern\": \"" << PatternChoices()[f.pattern] << "\", \"bits\": " << f.bits
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
      << f.mosaic.height << ", " << PatternChoices()[f.pattern] << ", " << f.bits << " bits\n"
      << "  black " << list(f.black.begin(), f.black.end()) << " (top-left cell), white " << f.white
      << "\n"
      << "  white balance (R, G, B) "
      << (f.hasAsShot ? list(f.asShot.begin(), f.asShot.end()) : "none recorded") << "\n"
      << "  camera to sRGB " << list(f.matrix.begin(), f.matrix.end()) << "\n"
      << "  orientation " << f.flip << " (" << OrientationName(f.flip) << ")\n";
    return o.str();
}

}  // namespace orvex_tool
