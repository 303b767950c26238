// What the argument readers share: the words of their messages, and the
// readers' table, which the camera keywords' file fills in part.
#ifndef ORVEX_PYTHON_ARGUMENT_TEXT_H
#define ORVEX_PYTHON_ARGUMENT_TEXT_H

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "settings.h"

namespace orvex_python {

std::string Join(const std::vector<std::string>& names);
std::string TypeName(py::handle value);
// A string argument, or TypeError naming it.
std::string Text(py::handle value, const std::string& name);

// Reads one keyword's value into the settings, or raises naming it.
using Reader = std::function<void(Settings&, py::handle)>;

// The readers of black, white, gain, matrix, transfer, alpha and full_range.
void AddCameraReaders(std::map<std::string, Reader>& readers);

}  // namespace orvex_python

#endif
