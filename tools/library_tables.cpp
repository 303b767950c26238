// Until the library lists its formats and patterns itself, their names and
// facts stand here, in the library's order and spelling.
#include "library_tables.h"

#include <iterator>

#include "orvex2.h"

namespace orvex_tool {
namespace {

struct Row {
    uint32_t code;
    const char* name;
    FormatFacts facts;
};

const Row kFormats[] = {
    {ORVEX_MOSAIC8, "mosaic8", {1, 8, 1, 0, 0}},
    {ORVEX_MOSAIC16, "mosaic16", {1, 16, 1, 0, 0}},
    {ORVEX_MOSAIC10_MIPI, "raw10-mipi", {1, 10, 1, 0, 0}},
    {ORVEX_MOSAIC12_MIPI, "raw12-mipi", {1, 12, 1, 0, 0}},
    {ORVEX_MOSAIC14_MIPI, "raw14-mipi", {1, 14, 1, 0, 0}},
    {ORVEX_MOSAIC10_PFNC, "raw10-pfnc", {1, 10, 1, 0, 0}},
    {ORVEX_MOSAIC12_PFNC, "raw12-pfnc", {1, 12, 1, 0, 0}},
    {ORVEX_MOSAIC12_GIGE, "raw12-gige", {1, 12, 1, 0, 0}},
    {ORVEX_RGB24, "rgb24", {0, 8, 3, 0, 0}},
    {ORVEX_BGR24, "bgr24", {0, 8, 3, 0, 0}},
    {ORVEX_RGBA32, "rgba32", {0, 8, 4, 0, 1}},
    {ORVEX_BGRA32, "bgra32", {0, 8, 4, 0, 1}},
    {ORVEX_ARGB32, "argb32", {0, 8, 4, 0, 1}},
    {ORVEX_RGB48, "rgb48", {0, 16, 3, 0, 0}},
    {ORVEX_PLANAR_RGB24, "planar-rgb24", {0, 8, 3, 1, 0}},
    {ORVEX_PLANAR_RGB48, "planar-rgb48", {0, 16, 3, 1, 0}},
    {ORVEX_GRAY8, "gray8", {0, 8, 1, 0, 0}},
    {ORVEX_GRAY16, "gray16", {0, 16, 1, 0, 0}},
};

const Row* Find(uint32_t format) {
    for (const Row& row : kFormats)
        if (row.code == format) return &row;
    return nullptr;
}

}  // namespace

uint32_t FormatAt(uint32_t index) {
    return index < std::size(kFormats) ? kFormats[index].code : 0;
}

const char* FormatName(uint32_t format) {
    const Row* row = Find(format);
    return row ? row->name : nullptr;
}

bool QueryFormat(uint32_t format, FormatFacts* facts) {
    const Row* row = Find(format);
    if (row == nullptr || facts == nullptr) return false;
    *facts = row->facts;
    return true;
}

const char* PatternName(uint32_t pattern) {
    static const char* const kNames[] = {"rggb", "grbg", "gbrg", "bggr"};
    return pattern < std::size(kNames) ? kNames[pattern] : nullptr;
}

}  // namespace orvex_tool
