// A call's arguments, read once from Python's positional and keyword values:
// every value checked against its range, errors naming the argument.
#ifndef ORVEX_PYTHON_SETTINGS_H
#define ORVEX_PYTHON_SETTINGS_H

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "names.h"
#include "orvex2.h"

namespace orvex_python {

namespace py = pybind11;

struct Settings {
    uint32_t pattern = ORVEX_RGGB;
    uint32_t method = ORVEX_BILINEAR;
    std::string layout = "rgb";
    uint32_t bits = 0;  // 0: the format's own
    std::optional<py::array> out;
    std::optional<uint32_t> dtypeBits;  // 8, 16 or 32 (float); unset: the input's
    // A bytes-like buffer of rows of `format`, with its size and row stride.
    uint32_t format = 0;
    std::string formatName;
    std::optional<uint32_t> width, height;
    std::optional<uint64_t> stride;
    std::optional<uint32_t> alpha;
    std::optional<std::array<float, 3>> colourGains;  // R, G, B, placed by the pattern
    orvex_options options{};
};

// Names a function takes after its first argument, in their positional
// order, then by keyword only; and the names its buffer of rows' size goes by
// ("width"/"height" or "raw_width"/"raw_height").
struct Accepted {
    std::vector<const char*> positional;
    std::vector<const char*> keywords;
    const char* widthName = "width";
    const char* heightName = "height";
};

Settings ReadSettings(const py::args& positional, const py::kwargs& named,
                      const Accepted& accepted);

// Gains and alpha once the pattern and the samples' widths are known.
void FinishOptions(Settings& s, uint32_t outputBits, uint32_t sourceBits);

// An integer argument in lo..hi, or TypeError / ValueError naming it.
uint32_t ReadInteger(py::handle value, const std::string& name, int64_t lo, int64_t hi);

// Codes of the names the library lists (names.h), or ValueError.
uint32_t MethodCode(const std::string& name);
uint32_t PatternCode(const std::string& name);

// An output layout by its Python name ("RGB", "planar", "gray", ...) and
// sample bits (8, 16, 32 = float): its code and facts.
struct OutputFormat {
    uint32_t code;
    orvex_format_facts facts;
};
OutputFormat FindOutput(const std::string& layout, uint32_t bits);

}  // namespace orvex_python

#endif
