// Names the library lists (methods, patterns, output layouts, mosaic
// formats) and the Python spellings of the output layouts.
#include <algorithm>
#include <cctype>

#include "argument_text.h"

namespace orvex_python {
namespace {

// Stems of output format names: "rgb24" and "rgb48" are "rgb", "planar-rgb24" "planar-rgb".
std::string Stem(std::string name) {
    if (name.size() > 4 && name.compare(name.size() - 4, 4, "-f32") == 0)
        return name.substr(0, name.size() - 4);
    while (!name.empty() && std::isdigit(static_cast<unsigned char>(name.back()))) name.pop_back();
    return name;
}

std::string Shown(const std::string& stem) {
    if (stem == "planar-rgb") return "planar";
    if (stem == "gray") return stem;
    std::string s = stem;
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return s;
}

}  // namespace

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

uint32_t MethodCode(const std::string& name) {
    const std::string key = Lower(name);
    for (uint32_t code = 1; const char* n = orvex_method_name(code); ++code)
        if (key == n) return code;
    throw py::value_error("method: one of " + Join(MethodNames()) + ", not '" + name + "'");
}

std::vector<std::string> MethodNames() {
    std::vector<std::string> names;
    for (uint32_t code = 1; const char* n = orvex_method_name(code); ++code) names.emplace_back(n);
    return names;
}

uint32_t PatternCode(const std::string& name) {
    const std::string key = Lower(name);
    for (uint32_t code = 0; const char* n = orvex_pattern_name(code); ++code)
        if (key == n) return code;
    throw py::value_error("pattern: one of " + Join(PatternNames()) + ", not '" + name + "'");
}

std::vector<std::string> PatternNames() {
    std::vector<std::string> names;
    for (uint32_t code = 0; const char* n = orvex_pattern_name(code); ++code) {
        std::string upper = n;
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](unsigned char c) { return char(std::toupper(c)); });
        names.push_back(upper);
    }
    return names;
}

OutputFormat FindOutput(const std::string& layout, uint32_t bits) {
    std::string key = Lower(layout);
    if (key == "planar") key = "planar-rgb";
    if (key == "grey") key = "gray";
    std::vector<std::string> widths;
    for (uint32_t i = 0, code; (code = orvex_format_at(i)) != 0; ++i) {
        orvex_format_facts facts{};
        if (orvex_format_query(code, &facts) != ORVEX_OK || facts.mosaic) continue;
        if (Stem(orvex_format_name(code)) != key) continue;
        if (facts.bits == bits) return {code, facts};
        widths.push_back(facts.bits == 32 ? "float32" : "uint" + std::to_string(facts.bits));
    }
    if (widths.empty())
        throw py::value_error("layout: one of " + Join(LayoutNames()) + ", not '" + layout + "'");
    throw py::type_error("dtype: layout " + layout + " holds " + Join(widths) + " samples, not " +
                         (bits == 32 ? "float32" : "uint" + std::to_string(bits)));
}

std::vector<std::string> LayoutNames() {
    std::vector<std::string> names;
    for (uint32_t i = 0, code; (code = orvex_format_at(i)) != 0; ++i) {
        orvex_format_facts facts{};
        if (orvex_format_query(code, &facts) != ORVEX_OK || facts.mosaic) continue;
        const std::string shown = Shown(Stem(orvex_format_name(code)));
        if (std::find(names.begin(), names.end(), shown) == names.end()) names.push_back(shown);
    }
    return names;
}

std::vector<std::string> FormatNames() {
    std::vector<std::string> names;
    for (uint32_t i = 0, code; (code = orvex_format_at(i)) != 0; ++i) {
        orvex_format_facts facts{};
        if (orvex_format_query(code, &facts) == ORVEX_OK && facts.mosaic)
            names.emplace_back(orvex_format_name(code));
    }
    return names;
}

}  // namespace orvex_python
