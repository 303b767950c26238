// What the library says about itself: sizes, names, status texts, version.
#include <limits>

#include "core/formats.h"
#include "methods/registry.h"
#include "orvex2.h"

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

}  // namespace

extern "C" {

ORVEX2_API size_t orvex_image_bytes(uint32_t format, uint32_t width, uint32_t height) {
    const orvex::FormatRow* f = orvex::FindInterfaceFormat(format);
    if (f == nullptr) return 0;
    // Bit-packed mosaics: whole rows of the packing (0 for widths it cannot hold).
    const uint64_t row = orvex::RowBytes(*f, width) * (f->layout.planar ? 3 : 1);
    if (row != 0 && height > std::numeric_limits<size_t>::max() / row) return 0;
    return size_t(row * height);
}

ORVEX2_API uint32_t orvex_format_at(uint32_t index) {
    for (const orvex::FormatRow& f : orvex::kFormats)
        if (f.code != 0 && index-- == 0) return f.code;
    return 0;
}

ORVEX2_API const char* orvex_format_name(uint32_t format) {
    const orvex::FormatRow* f = orvex::FindInterfaceFormat(format);
    return f == nullptr ? nullptr : f->name;
}

ORVEX2_API const char* orvex_pattern_name(uint32_t pattern) {
    constexpr uint32_t kCount = sizeof(orvex::kPatternNames) / sizeof(orvex::kPatternNames[0]);
    return pattern < kCount ? orvex::kPatternNames[pattern] : nullptr;
}

ORVEX2_API int orvex_format_query(uint32_t format, orvex_format_facts* facts) {
    const orvex::FormatRow* f = orvex::FindInterfaceFormat(format);
    if (f == nullptr || facts == nullptr) return ORVEX_ERROR_ARGUMENT;
    *facts = {f->role == orvex::FormatRole::Mosaic, f->bits, f->channels, f->layout.planar,
              f->layout.alpha >= 0};
    return ORVEX_OK;
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
