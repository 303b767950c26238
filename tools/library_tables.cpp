// The tool's view of the library's format and pattern lists: thin wrappers,
// so the commands hold no copy of the library's table.
#include "library_tables.h"

#include "orvex2.h"

namespace orvex_tool {

uint32_t FormatAt(uint32_t index) {
    return orvex_format_at(index);
}

const char* FormatName(uint32_t format) {
    return orvex_format_name(format);
}

bool QueryFormat(uint32_t format, FormatFacts* facts) {
    orvex_format_facts f{};
    if (facts == nullptr || orvex_format_query(format, &f) != ORVEX_OK) return false;
    *facts = {f.mosaic, f.bits, f.channels, f.planar, f.has_alpha};
    return true;
}

const char* PatternName(uint32_t pattern) {
    return orvex_pattern_name(pattern);
}

}  // namespace orvex_tool
