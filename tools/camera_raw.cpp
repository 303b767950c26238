#include "camera_raw.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <sstream>

#include "camera_develop.h"
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

}  // namespace

bool IsCameraFile(const std::string& path) {
    return orvex_camera::IsCameraFileName(path);
}

namespace {

ToolError AsToolError(const orvex_camera::CameraError& e) {
    using K = orvex_camera::CameraError;
    const bool limit = e.kind() == K::kOverLimit;
    return ToolError(kInputError, e.what() + std::string(limit ? " (--max-pixels raises it)" : ""));
}

}  // namespace

CameraFile ReadCameraFile(const std::string& path, const InputLimits& limits) {
    orvex_camera::Limits l;
    l.maxPixels = limits.maxPixels;
    l.acceptCorrupt = limits.acceptCorrupt;
    try {
        CameraFile f = orvex_camera::ReadCameraFile(path, l);
        for (const std::string& warning : f.warnings) Err().Line("warning: " + warning);
        return f;
    } catch (const orvex_camera::CameraError& e) {
        throw AsToolError(e);
    }
}

Raster Develop(const CameraFile& file, const DevelopOptions& o) {
    orvex_camera::DevelopSettings s;
    using orvex_camera::Balance;
    if (o.wb == "camera") {
        s.balance = Balance::kAsShot;
    } else if (o.wb == "daylight") {
        s.balance = Balance::kDaylight;
    } else if (o.wb == "none") {
        s.balance = Balance::kNone;
    } else {
        float r, g, b;
        char end;
        if (std::sscanf(o.wb.c_str(), "%f,%f,%f%c", &r, &g, &b, &end) != 3 || !(g > 0) ||
            !(r >= 0) || !(b >= 0))
            throw ToolError(kUsageError, "--wb takes camera, daylight, none or R,G,B");
        s.balance = Balance::kGiven;
        s.given = {r, g, b};
    }
    if (!o.black.empty()) {
        unsigned v[4];
        char end;
        const int n =
            std::sscanf(o.black.c_str(), "%u,%u,%u,%u%c", &v[0], &v[1], &v[2], &v[3], &end);
        if (n == 1 && o.black.find(',') == std::string::npos)
            s.black = {{v[0], v[0], v[0], v[0]}};
        else if (n == 4)
            s.black = {{v[0], v[1], v[2], v[3]}};
        else
            throw ToolError(kUsageError, "--black takes N or N,N,N,N");
    }
    if (o.white >= 0) s.white = uint32_t(o.white);
    s.method = o.method;
    s.matrix = o.matrix;
    s.linear = o.linear;
    s.curve = o.curve == "srgb" ? orvex_camera::Curve::kSrgb : orvex_camera::Curve::kBt709;
    s.bits = o.bits;
    s.rotate = o.rotate;
    s.threads = o.threads;
    s.autoBright = o.autoBright;
    s.exposure = o.exposure;
    s.half = o.half;
    orvex_camera::Picture picture;
    try {
        picture = orvex_camera::Develop(file, s);
    } catch (const orvex_camera::CameraError& e) {
        throw AsToolError(e);
    }
    Raster out;
    out.width = picture.width;
    out.height = picture.height;
    out.channels = 3;
    out.bitDepth = picture.bits;
    out.samples = std::move(picture.rgb);
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
          << f.rawHeight << "], \"visible_size\": [" << f.width << ", " << f.height
          << "], \"pattern\": \"" << PatternChoices()[f.pattern] << "\", \"bits\": " << f.bits
          << ", \"black\": [" << list(f.black.begin(), f.black.end()) << "], \"white\": " << f.white
          << ", \"white_balance\": "
          << (f.hasAsShot ? "[" + list(f.asShot.begin(), f.asShot.end()) + "]" : "null")
          << ", \"matrix\": [" << list(f.matrix.begin(), f.matrix.end())
          << "], \"orientation\": " << orvex_camera::OrientationTag(f.flip)
          << ", \"orientation_name\": " << Quoted(orvex_camera::OrientationMeaning(f.flip)) << "}";
        return o.str();
    }
    o << path << ": " << f.make << " " << f.model << "\n"
      << "  raw " << f.rawWidth << " x " << f.rawHeight << ", visible " << f.width << " x "
      << f.height << ", " << PatternChoices()[f.pattern] << ", " << f.bits << " bits\n"
      << "  black " << list(f.black.begin(), f.black.end()) << " (top-left cell), white " << f.white
      << "\n"
      << "  white balance (R, G, B) "
      << (f.hasAsShot ? list(f.asShot.begin(), f.asShot.end()) : "none recorded") << "\n"
      << "  camera to sRGB " << list(f.matrix.begin(), f.matrix.end()) << "\n"
      << "  orientation " << orvex_camera::OrientationTag(f.flip) << " ("
      << orvex_camera::OrientationMeaning(f.flip) << ")\n";
    return o.str();
}

}  // namespace orvex_tool
