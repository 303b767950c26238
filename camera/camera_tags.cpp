// What camera files are called and say of their colours and orientation,
// apart from LibRaw.
#include "camera_tags.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "camera_file.h"

namespace orvex_camera {

void CheckFilterColours(const std::string& colours, const std::string& name) {
    for (const char c : colours)
        if (uint8_t(c) > 2)
            throw CameraError(CameraError::kUnsupported,
                              name +
                                  ": a mosaic whose colour filter array holds cyan, magenta, "
                                  "yellow or white; only 2 x 2 red, green and blue mosaics "
                                  "are developed");
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
