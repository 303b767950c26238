// Camera files through the reader the tool uses: the visible mosaic and what
// the file says about it, for orvex.read_raw to wrap as a RawFrame; and the
// tool's development of such a frame, for RawFrame.develop().
#include "camera_file.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <new>
#include <optional>

#include "camera_develop.h"
#include "orvex2.h"
#include "settings.h"

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
            d["baseline_exposure"] = m.baselineExposure;
            d["make"] = m.make;
            d["model"] = m.model;
            d["warnings"] = m.warnings;
            return d;
        },
        py::arg("path"));

    module.def(
        "_develop",
        [](py::array_t<uint16_t, py::array::c_style> mosaic, const std::string& pattern,
           uint32_t bits, std::array<uint32_t, 4> black, uint32_t white, std::array<float, 3> wb,
           std::optional<std::array<float, 9>> matrix, int orientation, float baselineExposure,
           const std::string& method, uint32_t outputBits, bool linear, const std::string& curve,
           bool rotate, uint32_t threads, bool autoBright, double exposure, bool half) {
            if (mosaic.ndim() != 2) throw py::value_error("mosaic: a 2-D array");
            orvex_camera::CameraMosaic m;
            m.height = uint32_t(mosaic.shape(0));
            m.width = uint32_t(mosaic.shape(1));
            m.samples.assign(mosaic.data(), mosaic.data() + mosaic.size());
            m.pattern = PatternCode(pattern);
            m.bits = bits;
            m.black = black;
            m.white = white;
            if (matrix) m.matrix = *matrix;
            m.flip = orientation;
            m.baselineExposure = baselineExposure;
            orvex_camera::DevelopSettings s;
            s.method = MethodCode(method);
            s.balance = orvex_camera::Balance::kGiven;
            s.given = wb;
            s.matrix = bool(matrix);
            s.bits = outputBits;
            s.linear = linear;
            if (curve != "bt709" && curve != "srgb")
                throw py::value_error("curve: 'bt709' or 'srgb', not '" + curve + "'");
            s.curve = curve == "srgb" ? orvex_camera::Curve::kSrgb : orvex_camera::Curve::kBt709;
            s.rotate = rotate;
            s.threads = threads;
            s.autoBright = autoBright;
            s.exposure = exposure;
            s.half = half;
            orvex_camera::Picture p;
            try {
                py::gil_scoped_release released;
                p = orvex_camera::Develop(m, s);
            } catch (const orvex_camera::CameraError& e) {
                if (e.kind() == orvex_camera::CameraError::kTooLarge) throw std::bad_alloc();
                throw py::value_error(e.what());
            }
            const std::vector<py::ssize_t> shape = {py::ssize_t(p.height), py::ssize_t(p.width), 3};
            if (outputBits == 16) {
                py::array_t<uint16_t> out(shape);
                std::copy(p.rgb.begin(), p.rgb.end(), out.mutable_data());
                return py::array(out);
            }
            py::array_t<uint8_t> out(shape);
            std::transform(p.rgb.begin(), p.rgb.end(), out.mutable_data(),
                           [](uint16_t v) { return uint8_t(v); });
            return py::array(out);
        });
}

}  // namespace orvex_python
