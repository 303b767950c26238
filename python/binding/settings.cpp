// Reading a call's arguments: each name has one reader that checks its type
// and range, so every function takes the same spelling and gives the same
// sentence for the same mistake. The camera keywords' readers live in
// camera_keywords.cpp, the library's names in library_names.cpp.
#include "settings.h"

#include <algorithm>

#include "argument_text.h"

namespace orvex_python {
namespace {

const std::map<std::string, Reader>& Readers() {
    static const std::map<std::string, Reader> readers = [] {
        std::map<std::string, Reader> r = {
            {"pattern",
             [](Settings& s, py::handle v) { s.pattern = PatternCode(Text(v, "pattern")); }},
            {"method", [](Settings& s, py::handle v) { s.method = MethodCode(Text(v, "method")); }},
            {"layout",
             [](Settings& s, py::handle v) {
                 s.layout = Text(v, "layout");
                 FindOutput(s.layout, 8);  // a known name; its sample widths are checked later
             }},
            {"bits", [](Settings& s, py::handle v) { s.bits = ReadInteger(v, "bits", 8, 16); }},
            {"threads",
             [](Settings& s, py::handle v) {
                 s.options.threads = ReadInteger(v, "threads", 0, 65535);
             }},
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
        };
        AddCameraReaders(r);
        return r;
    }();
    return readers;
}

}  // namespace

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

}  // namespace orvex_python
