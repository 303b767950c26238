// Camera files through the reader the tool uses: the visible mosaic and what
// the file says about it, for orvex.read_raw to wrap as a RawFrame.
#include "camera_file.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "orvex2.h"

namespace py = pybind11;

namespace orvex_python {

void AddCameraFile(py::module_& module) {
    module.def(
        "_read_camera_file",
        [](const std::string& path) {
            orvex_camera::CameraMosaic m;
            try {
                py::gil_scoped_release released;
                m = orvex_camera::ReadCameraFile(path);
            } catch (const orvex_camera::CameraError& e) {
                throw py::value_error(e.what());
            }
            py::array_t<uint16_t> mosaic({py::ssize_t(m.height), py::ssize_t(m.width)});
            std::copy(m.samples.begin(), m.samples.end(), mosaic.mutable_data());
            py::dict d;
            d["mosaic"] = mosaic;
            d["pattern"] = orvex_pattern_name(m.pattern);
            d["bits"] = m.bits;
            d["black"] = std::vector<uint32_t>(m.black.begin(), m.black.end());
            d["white"] = m.white;
            d["as_shot_wb"] = std::vector<float>(m.asShot.begin(), m.asShot.end());
            d["has_as_shot"] = m.hasAsShot;
            d["daylight_wb"] = std::vector<float>(m.daylight.begin(), m.daylight.end());
            d["matrix"] = std::vector<float>(m.matrix.begin(), m.matrix.end());
            d["orientation"] = m.flip;
            d["make"] = m.make;
            d["model"] = m.model;
            d["warnings"] = m.warnings;
            return d;
        },
        py::arg("path"));
}

}  // namespace orvex_python
