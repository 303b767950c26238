// The Python module over liborvex2: numpy arrays described as the
// interface's strided views (no copy where rows are strided and samples
// adjacent), the GIL released during every conversion, statuses raised as
// ValueError or TypeError with the library's text.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "orvex2.h"

namespace py = pybind11;

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

template <size_t N>
uint32_t Lookup(const std::array<std::pair<const char*, uint32_t>, N>& table,
                const std::string& name, const char* what) {
    const std::string key = Lower(name);
    for (const auto& [n, code] : table)
        if (key == n) return code;
    std::string known;
    for (const auto& [n, code] : table) known += std::string(known.empty() ? "" : ", ") + n;
    throw py::value_error("unknown " + std::string(what) + " '" + name + "' (" + known + ")");
}

const std::array<std::pair<const char*, uint32_t>, 4> kPatterns = {
    {{"rggb", ORVEX_RGGB}, {"grbg", ORVEX_GRBG}, {"gbrg", ORVEX_GBRG}, {"bggr", ORVEX_BGGR}}};

const std::array<std::pair<const char*, uint32_t>, 6> kPackedFormats = {
    {{"raw10-mipi", ORVEX_MOSAIC10_MIPI},
     {"raw12-mipi", ORVEX_MOSAIC12_MIPI},
     {"raw14-mipi", ORVEX_MOSAIC14_MIPI},
     {"raw10-pfnc", ORVEX_MOSAIC10_PFNC},
     {"raw12-pfnc", ORVEX_MOSAIC12_PFNC},
     {"raw12-gige", ORVEX_MOSAIC12_GIGE}}};

const std::array<std::pair<const char*, uint32_t>, 2> kTransfers = {
    {{"linear", ORVEX_TRANSFER_LINEAR}, {"srgb", ORVEX_TRANSFER_SRGB}}};

uint32_t MethodCode(const std::string& name) {
    const std::string key = Lower(name);
    std::string known;
    for (uint32_t code = 1; const char* n = orvex_method_name(code); ++code) {
        if (key == n) return code;
        known += std::string(known.empty() ? "" : ", ") + n;
    }
    throw py::value_error("unknown method '" + name + "' (" + known + ")");
}

void Check(int status) {
    if (status != ORVEX_OK) throw py::value_error(orvex_status_text(status));
}

// A layout by name: its codes for 8- and 16-bit samples and its shape.
struct Layout {
    uint32_t narrow, wide;
    size_t channels;  // samples a pixel; 0: planar (3 planes)
};

Layout FindLayout(const std::string& name) {
    const std::string key = Lower(name);
    if (key == "rgb") return {ORVEX_RGB24, ORVEX_RGB48, 3};
    if (key == "bgr") return {ORVEX_BGR24, 0, 3};
    if (key == "rgba") return {ORVEX_RGBA32, 0, 4};
    if (key == "bgra") return {ORVEX_BGRA32, 0, 4};
    if (key == "argb") return {ORVEX_ARGB32, 0, 4};
    if (key == "planar") return {ORVEX_PLANAR_RGB24, ORVEX_PLANAR_RGB48, 0};
    if (key == "gray" || key == "grey") return {ORVEX_GRAY8, ORVEX_GRAY16, 1};
    throw py::value_error("unknown layout '" + name +
                          "' (RGB, BGR, RGBA, BGRA, ARGB, planar, gray)");
}

// A mosaic array (2-D uint8 or uint16, samples adjacent in a row; rows may
// be strided) or a buffer of packed rows, as an image. Arrays whose samples
// are not adjacent are copied into `keep`.
struct Mosaic {
    orvex_image image{};
    py::array keep;
    bool wide = false;
};

Mosaic ReadMosaic(py::object given, const std::string& pattern, std::optional<uint32_t> bits,
                  std::optional<uint32_t> width, std::optional<uint32_t> height,
                  std::optional<std::string> format) {
    // Arrays as they are; other buffers (bytes, memoryview) as their bytes.
    const py::module_ numpy = py::module_::import("numpy");
    py::array raw = py::isinstance<py::array>(given) ? given.cast<py::array>()
                    : format ? numpy.attr("frombuffer")(given, "uint8").cast<py::array>()
                             : numpy.attr("asarray")(given).cast<py::array>();
    Mosaic m;
    m.image.pattern = Lookup(kPatterns, pattern, "pattern");
    if (format) {
        // Packed rows in a bytes-like buffer: width and height give the view.
        if (!width || !height) throw py::value_error("a packed format needs width and height");
        m.image.format = Lookup(kPackedFormats, *format, "format");
        if (!py::isinstance<py::array_t<uint8_t>>(raw))
            throw py::type_error("packed rows are bytes");
        m.keep = py::array::ensure(raw, py::array::c_style);
        const size_t need = orvex_image_bytes(m.image.format, *width, *height);
        if (need == 0 || size_t(m.keep.nbytes()) < need)
            throw py::value_error("the buffer does not hold " + std::to_string(*width) + " x " +
                                  std::to_string(*height) + " " + *format + " samples");
        m.image.data = const_cast<void*>(m.keep.data());  // read only
        m.image.width = *width;
        m.image.height = *height;
        m.image.bits = bits.value_or(0);
        return m;
    }
    if (raw.ndim() != 2) throw py::value_error("a mosaic is a 2-D array");
    const bool narrow = py::isinstance<py::array_t<uint8_t>>(raw);
    m.wide = py::isinstance<py::array_t<uint16_t>>(raw);
    if (!narrow && !m.wide) throw py::type_error("a mosaic holds uint8 or uint16 samples");
    if (raw.strides(1) != raw.itemsize()) {
        m.keep = py::array::ensure(raw, py::array::c_style);
        raw = m.keep;
    } else {
        m.keep = raw;
    }
    m.image.data = const_cast<void*>(raw.data());
    m.image.height = uint32_t(raw.shape(0));
    m.image.width = uint32_t(raw.shape(1));
    m.image.stride = raw.strides(0);
    if (m.image.stride == 0) throw py::value_error("mosaic rows may not repeat");
    m.image.format = m.wide ? ORVEX_MOSAIC16 : ORVEX_MOSAIC8;
    m.image.bits = bits.value_or(0);
    return m;
}

orvex_options Options(uint32_t threads, const py::kwargs& camera) {
    orvex_options o;
    orvex_init_options(&o);
    o.threads = threads;
    for (const auto& [key, value] : camera) {
        const std::string k = py::str(key);
        if (k == "black") {
            const auto v = value.cast<std::vector<uint32_t>>();
            if (v.size() != 4 && v.size() != 1) throw py::value_error("black: 1 or 4 levels");
            for (size_t i = 0; i < 4; ++i) o.black[i] = v[v.size() == 1 ? 0 : i];
        } else if (k == "white") {
            o.white = value.cast<uint32_t>();
        } else if (k == "gain") {
            // Four are per site; three (R, G, B) are placed by SiteGains.
            const auto v = value.cast<std::vector<float>>();
            if (v.size() == 4)
                std::copy(v.begin(), v.end(), o.gain);
            else if (v.size() != 3)
                throw py::value_error("gain: 4 per site, or 3 for R, G, B");
        } else if (k == "matrix") {
            const auto v = value.cast<std::vector<float>>();
            if (v.size() != 9) throw py::value_error("matrix: 9 values, row-major");
            std::copy(v.begin(), v.end(), o.matrix);
        } else if (k == "transfer") {
            o.transfer = Lookup(kTransfers, value.cast<std::string>(), "transfer");
        } else if (k == "alpha") {
            o.alpha = value.cast<uint32_t>();
        } else {
            throw py::type_error("unexpected keyword '" + k + "'");
        }
    }
    return o;
}

// Three gains R, G, B placed on the sites of the pattern's cell.
void SiteGains(orvex_options& o, uint32_t pattern, const py::kwargs& camera) {
    if (!camera.contains("gain")) return;
    const auto v = camera["gain"].cast<std::vector<float>>();
    if (v.size() != 3) return;
    const bool redRow0 = (pattern >> 1) == 0, redColumn0 = (pattern & 1) == 0;
    for (size_t site = 0; site < 4; ++site) {
        const bool redRow = (site >> 1 == 0) == redRow0,
                   redColumn = ((site & 1) == 0) == redColumn0;
        o.gain[site] = redRow == redColumn ? v[redRow ? 0 : 2] : v[1];
    }
}

// The output array for a layout: a new one, or the caller's (shape, dtype and
// strides checked), as an image.
py::array Output(const Layout& l, bool wide, size_t w, size_t h, std::optional<py::array> out,
                 orvex_image& image) {
    const uint32_t format = wide ? l.wide : l.narrow;
    if (format == 0) throw py::type_error("this layout holds 8-bit samples only");
    std::vector<py::ssize_t> shape =
        l.channels == 0 ? std::vector<py::ssize_t>{3, py::ssize_t(h), py::ssize_t(w)}
        : l.channels == 1
            ? std::vector<py::ssize_t>{py::ssize_t(h), py::ssize_t(w)}
            : std::vector<py::ssize_t>{py::ssize_t(h), py::ssize_t(w), py::ssize_t(l.channels)};
    py::array a;
    if (out) {
        a = *out;
        const bool dtypeOk = wide ? py::isinstance<py::array_t<uint16_t>>(a)
                                  : py::isinstance<py::array_t<uint8_t>>(a);
        if (!dtypeOk)
            throw py::type_error(std::string("out must be ") + (wide ? "uint16" : "uint8"));
        if (!a.writeable()) throw py::value_error("out is read-only");
        if (size_t(a.ndim()) != shape.size() || !std::equal(shape.begin(), shape.end(), a.shape()))
            throw py::value_error("out has the wrong shape");
    } else {
        a = wide ? py::array(py::array_t<uint16_t>(shape)) : py::array(py::array_t<uint8_t>(shape));
    }
    const py::ssize_t item = a.itemsize();
    image.data = a.mutable_data();
    image.width = uint32_t(w);
    image.height = uint32_t(h);
    image.format = format;
    if (l.channels == 0) {
        if (a.strides(2) != item) throw py::value_error("out: samples of a row must be adjacent");
        image.plane_stride = a.strides(0);
        image.stride = a.strides(1);
    } else {
        const py::ssize_t pixel = item * py::ssize_t(l.channels);
        if ((l.channels > 1 && a.strides(2) != item) || a.strides(1) != pixel)
            throw py::value_error("out: pixels of a row must be adjacent");
        image.stride = a.strides(0);
    }
    if (image.stride == 0) throw py::value_error("out: rows may not repeat");
    return a;
}

py::array Demosaic(py::object raw, std::optional<uint32_t> x, std::optional<uint32_t> y,
                   std::optional<uint32_t> regionWidth, std::optional<uint32_t> regionHeight,
                   const std::string& pattern, const std::string& method, const std::string& layout,
                   std::optional<uint32_t> bits, uint32_t threads, std::optional<py::array> out,
                   const py::object& dtype, std::optional<uint32_t> width,
                   std::optional<uint32_t> height, std::optional<std::string> format,
                   const py::kwargs& camera) {
    Mosaic m = ReadMosaic(raw, pattern, bits, width, height, format);
    const uint32_t code = MethodCode(method);
    orvex_options options = Options(threads, camera);
    SiteGains(options, m.image.pattern, camera);
    bool wide = m.wide || format.has_value();
    if (!dtype.is_none()) {
        // Anything numpy takes for a dtype: np.uint8, "uint16", np.dtype(...).
        const py::dtype d = py::dtype::from_args(dtype);
        if (d.kind() != 'u' || (d.itemsize() != 1 && d.itemsize() != 2))
            throw py::type_error("dtype must be uint8 or uint16");
        wide = d.itemsize() == 2;
    }
    const bool region = x.has_value();
    const size_t w = region ? regionWidth.value_or(0) : m.image.width;
    const size_t h = region ? regionHeight.value_or(0) : m.image.height;
    orvex_image dst{};
    py::array result = Output(FindLayout(layout), wide, w, h, out, dst);
    int status;
    {
        py::gil_scoped_release released;
        status = region ? orvex_demosaic_region(&m.image, *x, y.value_or(0), &dst, code, &options)
                        : orvex_demosaic(&m.image, &dst, code, &options);
    }
    Check(status);
    return result;
}

}  // namespace

PYBIND11_MODULE(_orvex, module) {
    module.doc() = "Bayer mosaics to colour images: the orvex library's second interface.";
    module.attr("__version__") = orvex_version();

    module.def(
        "demosaic",
        [](py::object raw, const std::string& pattern, const std::string& method,
           const std::string& layout, std::optional<uint32_t> bits, uint32_t threads,
           std::optional<py::array> out, const py::object& dtype, std::optional<uint32_t> width,
           std::optional<uint32_t> height, std::optional<std::string> format,
           const py::kwargs& camera) {
            return Demosaic(raw, std::nullopt, std::nullopt, std::nullopt, std::nullopt, pattern,
                            method, layout, bits, threads, out, dtype, width, height, format,
                            camera);
        },
        R"(Convert a Bayer mosaic into a colour image.

Parameters
----------
raw : numpy.ndarray or bytes-like
    H x W uint8 or uint16 samples (rows may be strided or reversed), or with
    ``format`` a buffer of packed rows.
pattern : str
    Colours of the top-left 2 x 2 cell, row by row: "RGGB", "GRBG", "GBRG", "BGGR", any case.
method : str
    One of ``methods()``.
layout : str
    "RGB", "BGR", "RGBA", "BGRA", "ARGB", "planar" or "gray".
bits : int, optional
    Significant bits of 16-bit samples (9-16).
threads : int
    0: one per core; 1: the calling thread only.
out : numpy.ndarray, optional
    Written in place: its shape and dtype must be the result's.
dtype : numpy.dtype, optional
    uint8 or uint16 output samples; by default the input's width.
width, height, format : optional
    The size and packing of a packed buffer ("raw12-mipi", ...).
**camera
    black, white, gain, matrix, transfer ("linear" or "srgb"), alpha.

Returns
-------
numpy.ndarray
    H x W x 3 (x 4 for four-channel layouts), 3 x H x W for "planar", H x W for "gray".
)",
        py::arg("raw"), py::arg("pattern") = "RGGB", py::arg("method") = "bilinear",
        py::arg("layout") = "RGB", py::arg("bits") = py::none(), py::arg("threads") = 0,
        py::arg("out") = py::none(), py::arg("dtype") = py::none(), py::arg("width") = py::none(),
        py::arg("height") = py::none(), py::arg("format") = py::none());

    module.def(
        "demosaic_region",
        [](py::object raw, uint32_t x, uint32_t y, uint32_t width, uint32_t height,
           const std::string& pattern, const std::string& method, const std::string& layout,
           std::optional<uint32_t> bits, uint32_t threads, std::optional<py::array> out,
           const py::object& dtype, std::optional<uint32_t> rawWidth,
           std::optional<uint32_t> rawHeight, std::optional<std::string> format,
           const py::kwargs& camera) {
            return Demosaic(raw, x, y, width, height, pattern, method, layout, bits, threads, out,
                            dtype, rawWidth, rawHeight, format, camera);
        },
        R"(Convert one region of a Bayer mosaic: the pixels the whole conversion gives there.

Parameters
----------
raw : numpy.ndarray or bytes-like
    The whole mosaic, as for ``demosaic``.
x, y : int
    The region's top-left pixel in the mosaic; any parity (the colour phase follows).
width, height : int
    The region's size.
pattern, method, layout, bits, threads, out, dtype, format, **camera
    As for ``demosaic``.
raw_width, raw_height : int, optional
    The size of a packed buffer given with ``format``.

Returns
-------
numpy.ndarray
    The region, shaped as ``demosaic`` shapes a whole image.

Raises
------
ValueError
    A region outside the mosaic, or any error ``demosaic`` raises.
TypeError
    An unsupported dtype.
)",
        py::arg("raw"), py::arg("x"), py::arg("y"), py::arg("width"), py::arg("height"),
        py::kw_only(), py::arg("pattern") = "RGGB", py::arg("method") = "bilinear",
        py::arg("layout") = "RGB", py::arg("bits") = py::none(), py::arg("threads") = 0,
        py::arg("out") = py::none(), py::arg("dtype") = py::none(),
        py::arg("raw_width") = py::none(), py::arg("raw_height") = py::none(),
        py::arg("format") = py::none());

    module.def(
        "zoom_vertical",
        [](py::object raw, const std::string& pattern, std::optional<uint32_t> bits) {
            Mosaic m = ReadMosaic(raw, pattern, bits, std::nullopt, std::nullopt, std::nullopt);
            const std::vector<py::ssize_t> shape{py::ssize_t(2 * m.image.height),
                                                 py::ssize_t(m.image.width)};
            py::array a = m.wide ? py::array(py::array_t<uint16_t>(shape))
                                 : py::array(py::array_t<uint8_t>(shape));
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
        R"(Double the rows of a Bayer mosaic, interpolating the rows between site by site.

Parameters
----------
raw : numpy.ndarray
    H x W uint8 or uint16 samples.
pattern : str
    Colours of the top-left 2 x 2 cell, as for ``demosaic``.
bits : int, optional
    Significant bits of 16-bit samples (9-16).

Returns
-------
numpy.ndarray
    A 2H x W mosaic of the same dtype and pattern.
)",
        py::arg("raw"), py::arg("pattern") = "RGGB", py::arg("bits") = py::none());

    module.def(
        "unpack",
        [](py::object raw, uint32_t width, uint32_t height, const std::string& format,
           const std::string& pattern, uint32_t threads, const py::kwargs& camera) {
            Mosaic m = ReadMosaic(raw, pattern, std::nullopt, width, height, format);
            orvex_options options = Options(threads, camera);
            SiteGains(options, m.image.pattern, camera);
            py::array_t<uint16_t> a({py::ssize_t(height), py::ssize_t(width)});
            orvex_image dst{};
            dst.data = a.mutable_data();
            dst.width = width;
            dst.height = height;
            dst.format = ORVEX_MOSAIC16;
            dst.stride = a.strides(0);
            int status;
            {
                py::gil_scoped_release released;
                status = orvex_unpack(&m.image, &dst, &options);
            }
            Check(status);
            return a;
        },
        R"(Unpack a buffer of packed camera rows into 16-bit samples.

Parameters
----------
raw : bytes-like or numpy.ndarray of uint8
    The packed rows.
width, height : int
    The mosaic's size in samples.
format : str
    "raw10-mipi", "raw12-mipi", "raw14-mipi", "raw10-pfnc", "raw12-pfnc" or "raw12-gige".
pattern : str
    Colours of the top-left 2 x 2 cell (for per-site black levels and gains).
threads : int
    0: one per core; 1: the calling thread only; N: at most N.
**camera
    ``black``, ``white`` and ``gain``, applied as in ``demosaic``.

Returns
-------
numpy.ndarray
    H x W uint16 samples of the format's significant bits.
)",
        py::arg("raw"), py::arg("width"), py::arg("height"), py::arg("format"), py::kw_only(),
        py::arg("pattern") = "RGGB", py::arg("threads") = 0);

    module.def(
        "methods",
        [] {
            std::vector<std::string> names;
            for (uint32_t code = 1; const char* n = orvex_method_name(code); ++code)
                names.emplace_back(n);
            return names;
        },
        R"(The demosaic methods' names, in the library's order.

Returns
-------
list of str
    Names ``demosaic`` takes for ``method``.
)");
}
