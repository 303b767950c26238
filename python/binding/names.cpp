// Names the library lists (methods, patterns, output layouts, mosaic
// formats) and the Python spellings of the patterns and output layouts.
#include "names.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "orvex2.h"

namespace orvex_python {
namespace {

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return s;
}

std::string Shown(const std::string& stem) {
    if (stem == "planar-rgb") return "planar";
    if (stem == "gray") return stem;
    return Upper(stem);
}

}  // namespace

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

std::string LayoutStem(std::string name) {
    if (name.size() > 4 && name.compare(name.size() - 4, 4, "-f32") == 0)
        return name.substr(0, name.size() - 4);
    while (!name.empty() && std::isdigit(static_cast<unsigned char>(name.back()))) name.pop_back();
    return name;
}

std::vector<std::string> MethodNames() {
    std::vector<std::string> names;
    for (uint32_t code = 1; const char* n = orvex_method_name(code); ++code) names.emplace_back(n);
    return names;
}

std::vector<std::string> PatternNames() {
    std::vector<std::string> names;
    for (uint32_t code = 0; const char* n = orvex_pattern_name(code); ++code)
        names.push_back(Upper(n));
    return names;
}

std::vector<std::string> LayoutNames() {
    std::vector<std::string> names;
    for (uint32_t i = 0, code; (code = orvex_format_at(i)) != 0; ++i) {
        orvex_format_facts facts{};
        if (orvex_format_query(code, &facts) != ORVEX_OK || facts.mosaic) continue;
        const std::string shown = Shown(LayoutStem(orvex_format_name(code)));
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
