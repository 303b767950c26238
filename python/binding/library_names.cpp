// The codes of the names the library lists: methods, patterns, output layouts.
#include "argument_text.h"
#include "names.h"

namespace orvex_python {

uint32_t MethodCode(const std::string& name) {
    const std::string key = Lower(name);
    for (uint32_t code = 1; const char* n = orvex_method_name(code); ++code)
        if (key == n) return code;
    throw py::value_error("method: one of " + Join(MethodNames()) + ", not '" + name + "'");
}

uint32_t PatternCode(const std::string& name) {
    const std::string key = Lower(name);
    for (uint32_t code = 0; const char* n = orvex_pattern_name(code); ++code)
        if (key == n) return code;
    throw py::value_error("pattern: one of " + Join(PatternNames()) + ", not '" + name + "'");
}

OutputFormat FindOutput(const std::string& layout, uint32_t bits) {
    std::string key = Lower(layout);
    if (key == "planar") key = "planar-rgb";
    if (key == "grey") key = "gray";
    std::vector<std::string> widths;
    for (uint32_t i = 0, code; (code = orvex_format_at(i)) != 0; ++i) {
        orvex_format_facts facts{};
        if (orvex_format_query(code, &facts) != ORVEX_OK || facts.mosaic) continue;
        if (LayoutStem(orvex_format_name(code)) != key) continue;
        if (facts.bits == bits) return {code, facts};
        widths.push_back(facts.bits == 32 ? "float32" : "uint" + std::to_string(facts.bits));
    }
    if (widths.empty())
        throw py::value_error("layout: one of " + Join(LayoutNames()) + ", not '" + layout + "'");
    throw py::type_error("dtype: layout " + layout + " holds " + Join(widths) + " samples, not " +
                         (bits == 32 ? "float32" : "uint" + std::to_string(bits)));
}

}  // namespace orvex_python
