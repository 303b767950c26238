// The names the package accepts, as the library lists them and as Python
// spells them: methods, patterns (upper case), output layouts ("RGB",
// "planar", "gray", ...) and mosaic formats. Free of Python, so that the
// type hints' generator (stub_names) writes exactly what the module lists.
#ifndef ORVEX_PYTHON_NAMES_H
#define ORVEX_PYTHON_NAMES_H

#include <string>
#include <vector>

namespace orvex_python {

std::vector<std::string> MethodNames();
std::vector<std::string> PatternNames();
std::vector<std::string> LayoutNames();
std::vector<std::string> FormatNames();

// The layout an output format's name belongs to: "rgb24" and "rgb48" are
// "rgb", "planar-rgb-f32" is "planar-rgb".
std::string LayoutStem(std::string formatName);

std::string Lower(std::string s);

}  // namespace orvex_python

#endif
