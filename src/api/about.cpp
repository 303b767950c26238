// What the library says about itself: sizes, names, status texts, version.
#include <limits>

#include "core/formats.h"
#include "methods/registry.h"
#include "orvex2.h"
#include "unpack/packings.h"

namespace {

struct StatusText {
    int status;
    const char* text;
};

constexpr StatusText kTexts[] = {
    {ORVEX_OK, "success"},
    {ORVEX_ERROR_ARGUMENT,
     "invalid argument: a null pointer, an unknown code or bits out of range"},
    {ORVEX_ERROR_SIZE,
     "size mismatch: the images' sizes, strides, planes or region do not fit each other"},
    {ORVEX_ERROR_UNSUPPORTED, "unsupported: the library does not offer this combination"},
    {ORVEX_ERROR_OVERLAP, "overlap: the source and destination share bytes"},
    {ORVEX_ERROR_MEMORY, "out of memory: the working memory could not be had"},
};

// Interface format codes: bytes per pixel over all planes.
struct FormatBytes {
    uint32_t code;
    uint32_t bytes;
};

constexpr FormatBytes kFormatBytes[] = {
    {ORVEX_MOSAIC8, 1},      {ORVEX_MOSAIC16, 2},     {ORVEX_RGB24, 3},  {ORVEX_BGR24, 3},
    {ORVEX_RGBA32, 4},       {ORVEX_BGRA32, 4},       {ORVEX_ARGB32, 4}, {ORVEX_RGB48, 6},
    {ORVEX_PLANAR_RGB24, 3}, {ORVEX_PLANAR_RGB48, 6}, {ORVEX_GRAY8, 1},  {ORVEX_GRAY16, 2},
};

struct PackedCode {
    uint32_t code, core;
};

constexpr PackedCode kPackedCodes[] = {
    {ORVEX_MOSAIC10_MIPI, orvex::kFormatMosaic10Mipi},
    {ORVEX_MOSAIC12_MIPI, orvex::kFormatMosaic12Mipi},
    {ORVEX_MOSAIC14_MIPI, orvex::kFormatMosaic14Mipi},
    {ORVEX_MOSAIC10_PFNC, orvex::kFormatMosaic10Pfnc},
    {ORVEX_MOSAIC12_PFNC, orvex::kFormatMosaic12Pfnc},
    {ORVEX_MOSAIC12_GIGE, orvex::kFormatMosaic12Gige},
};

}  // namespace

extern "C" {

ORVEX2_API size_t orvex_image_bytes(uint32_t format, uint32_t width, uint32_t height) {
    // Packed mosaics: whole rows of the packing (0 for widths it cannot hold).
    for (const PackedCode& p : kPackedCodes) {
        if (p.code != format) continue;
        const uint64_t row = orvex::PackedRowBytes(*orvex::FindPacking(p.core), width);
        if (row != 0 && height > std::numeric_limits<size_t>::max() / row) return 0;
        return size_t(row * height);
    }
    for (const FormatBytes& f : kFormatBytes) {
        if (f.code != format) continue;
        const uint64_t pixels = uint64_t(width) * height;
        if (pixels > std::numeric_limits<size_t>::max() / f.bytes) return 0;
        return size_t(pixels) * f.bytes;
    }
    return 0;
}

ORVEX2_API const char* orvex_method_name(uint32_t method) {
    const orvex::MethodEntry* entry = orvex::FindMethod(method);
    return entry == nullptr ? nullptr : entry->name;
}

ORVEX2_API const char* orvex_status_text(int status) {
    for (const StatusText& t : kTexts)
        if (t.status == status) return t.text;
    return "unknown status";
}

ORVEX2_API const char* orvex_version(void) {
    return ORVEX_VERSION;
}

}  // extern "C"
