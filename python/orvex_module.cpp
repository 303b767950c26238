// The Python module over liborvex2: numpy arrays described as the
// interface's strided views (no copy where rows are strided and samples
// adjacent), the GIL released during every conversion, bad arguments raised
// as ValueError or TypeError naming the argument, statuses with the
// library's text.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "binding/arrays.h"
#include "binding/docs.h"
#include "binding/settings.h"
#include "orvex2.h"

namespace py = pybind11;
using namespace orvex_python;

namespace {

// The camera keywords every conversion takes.
const std::vector<const char*> kCamera = {"black",    "white", "gain",      "matrix",
                                          "transfer", "alpha", "full_range"};

std::vector<const char*> With(std::vector<const char*> names,
                              const std::vector<const char*>& more) {
    names.insert(names.end(), more.begin(), more.end());
    return names;
}

const Accepted kDemosaic{
    {"pattern", "method", "layout", "bits", "threads", "out", "dtype", "width", "height", "format"},
    With({"stride"}, kCamera)};
const Accepted kRegion{{},
                       With({"pattern", "method", "layout", "bits", "threads", "out", "dtype",
                             "raw_width", "raw_height", "format", "stride"},
                            kCamera),
                       "raw_width",
                       "raw_height"};
const Accepted kZoom{{"pattern", "bits"}, {}};
const Accepted kUnpack{{}, {"pattern", "threads", "bits", "stride", "black", "white", "gain"}};

std::string Size(uint64_t w, uint64_t h) {
    return std::to_string(w) + " x " + std::to_string(h);
}

py::array Convert(const py::object& raw, Settings& s,
                  std::optional<std::array<uint32_t, 4>> region) {
    const Mosaic m = ReadMosaic(raw, s);
    const uint64_t mw = m.image.width, mh = m.image.height;
    if (mw < 2 || mh < 2)
        throw py::value_error("raw: a mosaic of at least 2 x 2 samples, not " + Size(mw, mh));
    if (region && ((*region)[2] == 0 || (*region)[3] == 0))
        throw py::value_error("width, height: a region of at least 1 x 1, not " +
                              Size((*region)[2], (*region)[3]));
    if (region &&
        (uint64_t((*region)[0]) + (*region)[2] > mw || uint64_t((*region)[1]) + (*region)[3] > mh))
        throw py::value_error("x, y, width, height: the region " +
                              Size((*region)[2], (*region)[3]) + " at (" +
                              std::to_string((*region)[0]) + ", " + std::to_string((*region)[1]) +
                              ") reaches beyond the " + Size(mw, mh) + " mosaic");
    const uint32_t bits = OutputBits(s, m);
    const OutputFormat format = FindOutput(s.layout, bits);
    FinishOptions(s, bits, m.bits);
    const size_t w = region ? (*region)[2] : m.image.width;
    const size_t h = region ? (*region)[3] : m.image.height;
    orvex_image dst{};
    py::array result = Output(s, format, w, h, dst);
    int status;
    {
        py::gil_scoped_release released;
        status = region ? orvex_demosaic_region(&m.image, (*region)[0], (*region)[1], &dst,
                                                s.method, &s.options)
                        : orvex_demosaic(&m.image, &dst, s.method, &s.options);
    }
    Check(status);
    return result;
}

}  // namespace

namespace orvex_python {
void AddCameraFile(py::module_& module);
}

PYBIND11_MODULE(_orvex, module) {
    module.doc() = "Bayer mosaics to colour images: the orvex library's second interface.";
    module.attr("__version__") = orvex_version();

    module.def(
        "demosaic",
        [](const py::object& raw, const py::args& args, const py::kwargs& kwargs) {
            Settings s = ReadSettings(args, kwargs, kDemosaic);
            return Convert(raw, s, std::nullopt);
        },
        kDemosaicDoc, py::arg("raw"));

    module.def(
        "demosaic_region",
        [](const py::object& raw, const py::object& x, const py::object& y, const py::object& w,
           const py::object& h, const py::kwargs& kwargs) {
            Settings s = ReadSettings(py::args(), kwargs, kRegion);
            const std::array<uint32_t, 4> region{
                ReadInteger(x, "x", 0, UINT32_MAX), ReadInteger(y, "y", 0, UINT32_MAX),
                ReadInteger(w, "width", 0, UINT32_MAX), ReadInteger(h, "height", 0, UINT32_MAX)};
            return Convert(raw, s, region);
        },
        kRegionDoc, py::arg("raw"), py::arg("x"), py::arg("y"), py::arg("width"),
        py::arg("height"));

    module.def(
        "zoom_vertical",
        [](const py::object& raw, const py::args& args, const py::kwargs& kwargs) {
            const Settings s = ReadSettings(args, kwargs, kZoom);
            Mosaic m = ReadMosaic(raw, s);
            if (m.image.format == ORVEX_MOSAIC16_BE)
                throw py::type_error("raw: native uint16 samples for zoom_vertical, not " +
                                     std::string(py::str(m.keep.attr("dtype"))) +
                                     " (raw.astype('=u2'))");
            const bool wide = m.image.format == ORVEX_MOSAIC16;
            py::array a(wide ? py::dtype::of<uint16_t>() : py::dtype::of<uint8_t>(),
                        std::vector<py::ssize_t>{py::ssize_t(2) * m.image.height,
                                                 py::ssize_t(m.image.width)});
            orvex_image dst = m.image;
            dst.data = a.mutable_data();
            dst.height = 2 * m.image.height;
            dst.stride = a.strides(0);
            int status;
            {
                py::gil_scoped_release released;
                status = orvex_zoom_vertical(&m.image, &dst, nullptr);
            }
            Check(status);
            return a;
        },
        kZoomDoc, py::arg("raw"));

    module.def(
        "unpack",
        [](const py::object& raw, const py::object& width, const py::object& height,
           const py::object& format, const py::kwargs& kwargs) {
            py::dict named(kwargs);
            named["width"] = width;
            named["height"] = height;
            named["format"] = format;
            Settings s = ReadSettings(py::args(), named,
                                      {{}, With({"width", "height", "format"}, kUnpack.keywords)});
            if (s.format == 0) throw py::value_error("format: the buffer's format, one of formats()");
            Mosaic m = ReadMosaic(raw, s);
            FinishOptions(s, 16, m.bits);
            py::array_t<uint16_t> a({py::ssize_t(m.image.height), py::ssize_t(m.image.width)});
            orvex_image dst{};
            dst.data = a.mutable_data();
            dst.width = m.image.width;
            dst.height = m.image.height;
            dst.format = ORVEX_MOSAIC16;
            dst.stride = a.strides(0);
            int status;
            {
                py::gil_scoped_release released;
                status = orvex_unpack(&m.image, &dst, &s.options);
            }
            Check(status);
            return a;
        },
        kUnpackDoc, py::arg("raw"), py::arg("width"), py::arg("height"), py::arg("format"));

#ifdef ORVEX_PYTHON_CAMERA
    AddCameraFile(module);
#endif
    module.def("methods", &MethodNames, "The demosaic methods' names, in the library's order.");
    module.def("patterns", &PatternNames, "The colour patterns' names, in the library's order.");
    module.def("layouts", &LayoutNames, "The output layouts' names for ``layout``.");
    module.def("formats", &FormatNames, "The mosaic formats' names for ``format``.");
}
