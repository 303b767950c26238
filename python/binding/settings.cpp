// Reading a call's arguments: each name has one reader that checks its type
// and range, so every function takes the same spelling and gives the same
// sentence for the same mistake.
#include "settings.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <map>

namespace orvex_python {
namespace {

std::string Join(const std::vector<std::string>& names) {
    std::string s;
    for (const std::string& n : names) s += (s.empty() ? "" : ", ") + n;
    return s;
}

std::string TypeName(py::handle value) {
    return py::str(py::type::of(value).attr("__name__"));
}

std::string Text(py::handle value, const std::string& name) {
    if (!py::isinstance<py::str>(value))
        throw py::type_error(name + ": a string, not " + TypeName(value));
    return value.cast<std::string>();
}

// A sequence of numbers (list, tuple, array), each finite and, where asked, not negative.
std::vector<double> Numbers(py::handle value, const std::string& name,
                            const std::vector<size_t>& counts, bool positive) {
    std::string allowed;
    for (size_t c : counts) allowed += (allowed.empty() ? "" : " or ") + std::to_string(c);
    if (py::isinstance<py::str>(value) || !py::isinstance<py::iterable>(value))
        throw py::type_error(name + ": a sequence of " + allowed + " numbers, not " +
                             TypeName(value));
    std::vector<double> v;
    for (py::handle item : value) {
        const double d = PyFloat_AsDouble(item.ptr());
        if (d == -1.0 && PyErr_Occurred()) {
            PyErr_Clear();
            throw py::type_error(name + ": numbers, not " + TypeName(item));
        }
        if (!std::isfinite(d) || (positive && d < 0) || std::fabs(d) > 1e30)
            throw py::value_error(name + ": finite" + std::string(positive ? ", 0 or more" : "") +
                                  ", not " + std::string(py::repr(item)));
        v.push_back(d);
    }
    if (std::find(counts.begin(), counts.end(), v.size()) == counts.end())
        throw py::value_error(name + ": " + allowed + " values, not " + std::to_string(v.size()));
    return v;
}

using Reader = std::function<void(Settings&, py::handle)>;

const std::map<std::string, Reader>& Readers() {
    static const std::map<std::string, Reader> readers = {
        {"pattern", [](Settings& s, py::handle v) { s.pattern = PatternCode(Text(v, "pattern")); }},
        {"method", [](Settings& s, py::handle v) { s.method = MethodCode(Text(v, "method")); }},
        {"layout",
         [](Settings& s, py::handle v) {
             s.layout = Text(v, "layout");
             FindOutput(s.layout, 8);  // a known name; its sample widths are checked later
         }},
        {"bits", [](Settings& s, py::handle v) { s.bits = ReadInteger(v, "bits", 8, 16); }},
        {"threads", [](Settings& s,
                       py::handle v) { s.options.threads = ReadInteger(v, "threads", 0, 65535); }},
        {"out",
         [](Settings& s, py::handle v) {
             if (!py::isinstance<py::array>(v))
                 throw py::type_error("out: a numpy.ndarray, not " + TypeName(v));
             s.out = py::reinterpret_borrow<py::array>(v);
         }},
        {"dtype",
         [](Settings& s, py::handle v) {
             // Anything numpy takes for a dtype: np.uint8, "uint16", np.dtype(...).
             py::dtype d;
             try {
                 d = py::dtype::from_args(py::reinterpret_borrow<py::object>(v));
             } catch (py::error_already_set&) {
                 throw py::type_error("dtype: uint8, uint16 or float32, not " +
                                      std::string(py::repr(v)));
             }
             const char kind = d.kind();
             const auto size = d.itemsize();
             if (kind == 'u' && (size == 1 || size == 2))
                 s.dtypeBits = uint32_t(8 * size);
             else if (kind == 'f' && size == 4)
                 s.dtypeBits = 32;
             else
                 throw py::type_error("dtype: uint8, uint16 or float32, not " +
                                      std::string(py::str(d)));
         }},
        {"format",
         [](Settings& s, py::handle v) {
             s.formatName = Text(v, "format");
             const std::string key = Lower(s.formatName);
             orvex_format_facts facts{};
             for (uint32_t i = 0, code; (code = orvex_format_at(i)) != 0; ++i)
                 if (orvex_format_query(code, &facts) == ORVEX_OK && facts.mosaic &&
                     key == orvex_format_name(code))
                     s.format = code;
             if (s.format == 0)
                 throw py::value_error("format: one of " + Join(FormatNames()) + ", not '" +
                                       s.formatName + "'");
         }},
        {"stride",
         [](Settings& s, py::handle v) {
             s.stride = uint64_t(ReadInteger(v, "stride", 1, int64_t(1) << 40));
         }},
        {"black",
         [](Settings& s, py::handle v) {
             if (PyIndex_Check(v.ptr())) {
                 const uint32_t b = ReadInteger(v, "black", 0, 65535);
                 std::fill(std::begin(s.options.black), std::end(s.options.black), b);
                 return;
             }
             if (py::isinstance<py::str>(v) || !py::isinstance<py::sequence>(v))
                 throw py::type_error("black: 1 or 4 levels, not " + TypeName(v));
             const auto levels = v.cast<py::sequence>();
             if (levels.size() != 1 && levels.size() != 4)
                 throw py::value_error("black: 1 or 4 levels, not " +
                                       std::to_string(levels.size()));
             for (size_t i = 0; i < 4; ++i)
                 s.options.black[i] =
                     ReadInteger(levels[levels.size() == 1 ? 0 : i], "black", 0, 65535);
         }},
        {"white",
         [](Settings& s, py::handle v) { s.options.white = ReadInteger(v, "white", 0, 65535); }},
        {"gain",
         [](Settings& s, py::handle v) {
             const auto g = Numbers(v, "gain", {3, 4}, true);
             if (g.size() == 4)
                 std::copy(g.begin(), g.end(), s.options.gain);
             else
                 s.colourGains = std::array<float, 3>{float(g[0]), float(g[1]), float(g[2])};
         }},
        {"matrix",
         [](Settings& s, py::handle v) {
             const auto m = Numbers(v, "matrix", {9}, false);
             std::copy(m.begin(), m.end(), s.options.matrix);
         }},
        {"transfer",
         [](Settings& s, py::handle v) {
             const std::string t = Lower(Text(v, "transfer"));
             if (t == "linear")
                 s.options.transfer = ORVEX_TRANSFER_LINEAR;
             else if (t == "srgb")
                 s.options.transfer = ORVEX_TRANSFER_SRGB;
             else
                 throw py::value_error("transfer: 'linear' or 'srgb', not '" + t + "'");
         }},
        {"alpha", [](Settings& s, py::handle v) { s.alpha = ReadInteger(v, "alpha", 0, 65535); }},
    };
    return readers;
}

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

uint32_t ReadInteger(py::handle value, const std::string& name, int64_t lo, int64_t hi) {
    if (PyBool_Check(value.ptr()) || !PyIndex_Check(value.ptr()))
        throw py::type_error(name + ": an integer, not " + TypeName(value));
    const py::object index = py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
    if (!index) throw py::error_already_set();
    int overflow = 0;
    const long long v = PyLong_AsLongLongAndOverflow(index.ptr(), &overflow);
    if (overflow != 0 || v < lo || v > hi)
        throw py::value_error(name + ": " + std::to_string(lo) + ".." + std::to_string(hi) +
                              ", not " + std::string(py::repr(value)));
    return uint32_t(v);
}

Settings ReadSettings(const py::args& positional, const py::kwargs& named,
                      const Accepted& accepted) {
    Settings s;
    orvex_init_options(&s.options);
    if (positional.size() > accepted.positional.size())
        throw py::type_error("at most " + std::to_string(accepted.positional.size() + 1) +
                             " positional arguments, not " + std::to_string(positional.size() + 1));
    std::map<std::string, py::handle> given;
    for (size_t i = 0; i < positional.size(); ++i) given[accepted.positional[i]] = positional[i];
    for (const auto& [key, value] : named) {
        const std::string k = py::str(key);
        const auto known = [&](const std::vector<const char*>& names) {
            return std::any_of(names.begin(), names.end(), [&](const char* n) { return k == n; });
        };
        if (!known(accepted.positional) && !known(accepted.keywords))
            throw py::type_error("unexpected keyword '" + k + "'");
        if (given.count(k) != 0) throw py::type_error("'" + k + "' given twice");
        given[k] = value;
    }
    for (const auto& [name, value] : given) {
        if (value.is_none()) continue;  // the default
        const std::string as = name == accepted.widthName    ? "width"
                               : name == accepted.heightName ? "height"
                                                             : name;
        if (as == "width" || as == "height") {
            (as == "width" ? s.width : s.height) = ReadInteger(value, name, 1, UINT32_MAX);
            continue;
        }
        Readers().at(as)(s, value);
    }
    return s;
}

void FinishOptions(Settings& s, uint32_t outputBits, uint32_t sourceBits) {
    if (s.colourGains) {
        const auto& v = *s.colourGains;
        const bool redRow0 = (s.pattern >> 1) == 0, redColumn0 = (s.pattern & 1) == 0;
        for (size_t site = 0; site < 4; ++site) {
            const bool redRow = (site >> 1 == 0) == redRow0,
                       redColumn = ((site & 1) == 0) == redColumn0;
            s.options.gain[site] = redRow == redColumn ? v[redRow ? 0 : 2] : v[1];
        }
    }
    // The levels against each other, as the library holds them, in words.
    const uint32_t top = s.options.white != 0 ? s.options.white : (1u << sourceBits) - 1;
    for (const uint32_t b : s.options.black)
        if (b >= top)
            throw py::value_error("black: " + std::to_string(b) +
                                  " is at or above the white level " + std::to_string(top) +
                                  (s.options.white != 0 ? "" : " of these samples' bits"));
    if (s.alpha) {
        // Alpha is a sample of the output: bytes, or the source's significant bits.
        const uint32_t largest = outputBits == 8 ? 255 : (1u << sourceBits) - 1;
        if (*s.alpha > largest)
            throw py::value_error("alpha: 0.." + std::to_string(largest) +
                                  " for this output, not " + std::to_string(*s.alpha));
        s.options.alpha = *s.alpha;
    }
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
