// The camera keywords: black and white levels, gains, the colour matrix,
// the transfer curve, alpha and full-range 16-bit samples, read and then settled against the
// pattern and the samples' widths.
#include <algorithm>
#include <cmath>

#include "argument_text.h"

namespace orvex_python {
namespace {

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

}  // namespace

void AddCameraReaders(std::map<std::string, Reader>& readers) {
    const std::map<std::string, Reader> camera = {
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
        {"full_range",
         [](Settings& s, py::handle v) {
             // numpy's bool_ as well as Python's: flags often come from arrays.
             const bool numpyBool = py::isinstance(v, py::module_::import("numpy").attr("bool_"));
             if (!PyBool_Check(v.ptr()) && !numpyBool)
                 throw py::type_error("full_range: True or False, not " + TypeName(v));
             s.options.full_range = py::bool_(py::reinterpret_borrow<py::object>(v)) ? 1 : 0;
         }},
    };
    readers.insert(camera.begin(), camera.end());
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
        // Alpha is a sample of the output: bytes, the source's significant
        // bits, or all 16 of full-range samples.
        const uint32_t largest = outputBits == 8             ? 255
                                 : s.options.full_range != 0 ? 65535
                                                             : (1u << sourceBits) - 1;
        if (*s.alpha > largest)
            throw py::value_error("alpha: 0.." + std::to_string(largest) +
                                  " for this output, not " + std::to_string(*s.alpha));
        s.options.alpha = *s.alpha;
    }
}

}  // namespace orvex_python
