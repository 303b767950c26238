// The library's lists of formats and patterns. Libraries without them (built
// before the format table listed itself) get the same answers from here.
#ifndef ORVEX_PYTHON_FORMAT_LIST_H
#define ORVEX_PYTHON_FORMAT_LIST_H

#include "orvex2.h"

#ifndef ORVEX_HAVE_FORMAT_LIST
typedef struct orvex_format_facts {
    uint32_t mosaic, bits, channels, planar, has_alpha;
} orvex_format_facts;

namespace orvex_python::fallback {
struct Row {
    uint32_t code;
    const char* name;
    orvex_format_facts facts;
};
inline constexpr Row kRows[] = {
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
inline constexpr const char* kPatterns[] = {"rggb", "grbg", "gbrg", "bggr"};
}  // namespace orvex_python::fallback

inline uint32_t orvex_format_at(uint32_t index) {
    using orvex_python::fallback::kRows;
    return index < sizeof(kRows) / sizeof(kRows[0]) ? kRows[index].code : 0;
}
inline const char* orvex_format_name(uint32_t format) {
    for (const auto& row : orvex_python::fallback::kRows)
        if (row.code == format) return row.name;
    return nullptr;
}
inline int orvex_format_query(uint32_t format, orvex_format_facts* facts) {
    for (const auto& row : orvex_python::fallback::kRows)
        if (row.code == format && facts != nullptr) {
            *facts = row.facts;
            return ORVEX_OK;
        }
    return ORVEX_ERROR_ARGUMENT;
}
inline const char* orvex_pattern_name(uint32_t pattern) {
    return pattern < 4 ? orvex_python::fallback::kPatterns[pattern] : nullptr;
}
#endif

#endif
