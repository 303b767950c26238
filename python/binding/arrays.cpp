// Arrays reach the library as views, never copied where rows are strided and
// samples adjacent; copies, where needed, raise MemoryError when they cannot
// be made.
#include "arrays.h"

#include <limits>

namespace orvex_python {
namespace {

py::object Numpy(const char* function, const py::object& value) {
    return py::module_::import("numpy").attr(function)(value);
}

std::string Size(uint64_t w, uint64_t h) {
    return std::to_string(w) + " x " + std::to_string(h);
}

Mosaic ReadFormatBuffer(const py::object& given, const Settings& s) {
    if (!s.width || !s.height)
        throw py::value_error("width, height: the size in samples of a buffer of format " +
                              s.formatName);
    py::array bytes;
    if (py::isinstance<py::array>(given)) {
        bytes = given.cast<py::array>();
        if (!py::isinstance<py::array_t<uint8_t>>(bytes))
            throw py::type_error("raw: a buffer of format " + s.formatName + " holds uint8 bytes");
    } else {
        try {
            bytes = py::module_::import("numpy").attr("frombuffer")(given, "uint8");
        } catch (py::error_already_set&) {
            throw py::type_error("raw: a bytes-like buffer for format " + s.formatName);
        }
    }
    Mosaic m;
    m.keep = Numpy("ascontiguousarray", bytes);  // MemoryError where a copy cannot be made
    const py::array kept = m.keep.cast<py::array>();
    const uint64_t row = orvex_image_bytes(s.format, *s.width, 1);
    if (row == 0)
        throw py::value_error("width: " + std::to_string(*s.width) +
                              " samples do not fill rows of " + s.formatName);
    const uint64_t stride = s.stride.value_or(row);
    if (stride < row)
        throw py::value_error("stride: at least " + std::to_string(row) + " bytes for rows of " +
                              std::to_string(*s.width) + " " + s.formatName + " samples, not " +
                              std::to_string(stride));
    const uint64_t have = uint64_t(kept.nbytes());
    if ((*s.height - 1) > (have - std::min(have, row)) / stride || have < row)
        throw py::value_error("raw: " + std::to_string(have) + " bytes do not hold " +
                              Size(*s.width, *s.height) + " samples of " + s.formatName +
                              " every " + std::to_string(stride) + " bytes");
    orvex_format_facts facts{};
    orvex_format_query(s.format, &facts);
    m.image.data = const_cast<void*>(kept.data());  // read only
    m.image.stride = ptrdiff_t(stride);
    m.image.width = *s.width;
    m.image.height = *s.height;
    m.image.format = s.format;
    m.image.pattern = s.pattern;
    m.image.bits = s.bits;
    m.bits = s.bits != 0 ? s.bits : facts.bits;
    return m;
}

std::string Shape(const std::vector<py::ssize_t>& shape) {
    std::string s;
    for (py::ssize_t n : shape) s += (s.empty() ? "(" : ", ") + std::to_string(n);
    return s + ")";
}

}  // namespace

Mosaic ReadMosaic(const py::object& given, const Settings& s) {
    if (s.format != 0) return ReadFormatBuffer(given, s);
    if (s.width || s.height || s.stride)
        throw py::value_error(
            "width, height, stride: the layout of a buffer with format=; an array gives its own");
    py::array raw = py::isinstance<py::array>(given) ? given.cast<py::array>()
                                                     : Numpy("asarray", given).cast<py::array>();
    if (raw.ndim() != 2)
        throw py::value_error("raw: a 2-D mosaic, not " + std::to_string(raw.ndim()) + "-D");
    // uint16 samples high byte first ('>u2', as files and cameras often
    // store them) are read in place; little-endian ones on a big-endian host
    // are copied into native order.
    const py::dtype type = raw.dtype();
    const bool unsigned16 = type.kind() == 'u' && type.itemsize() == 2;
    const char order = unsigned16 ? type.attr("byteorder").cast<std::string>()[0] : '=';
    const bool bigEndian = order == '>';
    if (order == '<') raw = raw.attr("astype")("=u2").cast<py::array>();
    if (!unsigned16 && !py::isinstance<py::array_t<uint8_t>>(raw))
        throw py::type_error("raw: uint8 or uint16 samples, not " +
                             std::string(py::str(py::object(type))));
    const auto h = raw.shape(0), w = raw.shape(1);
    if (h < 1 || w < 1) throw py::value_error("raw: an empty mosaic (" + Size(w, h) + ")");
    if (uint64_t(h) > UINT32_MAX || uint64_t(w) > UINT32_MAX)
        throw py::value_error("raw: at most 4294967295 rows and columns, not " + Size(w, h));
    Mosaic m;
    // Samples apart or rows repeated (broadcast arrays): the library reads
    // adjacent samples of distinct rows, so such arrays are copied first.
    if (raw.strides(1) != raw.itemsize() || raw.strides(0) == 0)
        raw = Numpy("ascontiguousarray", raw);
    m.keep = raw;
    m.image.data = const_cast<void*>(raw.data());
    m.image.height = uint32_t(h);
    m.image.width = uint32_t(w);
    m.image.stride = raw.strides(0);
    m.image.format = bigEndian ? ORVEX_MOSAIC16_BE : unsigned16 ? ORVEX_MOSAIC16 : ORVEX_MOSAIC8;
    m.image.pattern = s.pattern;
    m.image.bits = s.bits;
    if (!unsigned16 && s.bits > 8)
        throw py::value_error("bits: 8 for uint8 samples, not " + std::to_string(s.bits));
    if (unsigned16 && s.bits != 0 && s.bits < 9)
        throw py::value_error("bits: 9..16 for uint16 samples, not " + std::to_string(s.bits));
    m.bits = s.bits != 0 ? s.bits : unsigned16 ? 16 : 8;
    return m;
}

uint32_t OutputBits(const Settings& s, const Mosaic& m) {
    return s.dtypeBits.value_or(m.bits > 8 ? 16 : 8);
}

py::array Output(const Settings& s, const OutputFormat& format, size_t w, size_t h,
                 orvex_image& image) {
    const orvex_format_facts& f = format.facts;
    std::vector<py::ssize_t> shape =
        f.planar ? std::vector<py::ssize_t>{3, py::ssize_t(h), py::ssize_t(w)}
        : f.channels == 1
            ? std::vector<py::ssize_t>{py::ssize_t(h), py::ssize_t(w)}
            : std::vector<py::ssize_t>{py::ssize_t(h), py::ssize_t(w), py::ssize_t(f.channels)};
    const py::dtype dtype = f.bits == 32   ? py::dtype::of<float>()
                            : f.bits == 16 ? py::dtype::of<uint16_t>()
                                           : py::dtype::of<uint8_t>();
    py::array a;
    if (s.out) {
        a = *s.out;
        // An equal type is enough: a type that came through pickle is another object.
        if (!py::detail::npy_api::get().PyArray_EquivTypes_(a.dtype().ptr(), dtype.ptr()))
            throw py::type_error("out: " + std::string(py::str(py::object(dtype))) +
                                 " samples, not " + std::string(py::str(a.dtype())));
        if (!a.writeable()) throw py::value_error("out: read-only");
        if (size_t(a.ndim()) != shape.size() || !std::equal(shape.begin(), shape.end(), a.shape()))
            throw py::value_error("out: shape " + Shape(shape) + ", not " +
                                  std::string(py::str(a.attr("shape"))));
    } else {
        a = py::array(dtype, shape);  // MemoryError where it cannot be had
    }
    const py::ssize_t item = a.itemsize();
    image.data = a.mutable_data();
    image.width = uint32_t(w);
    image.height = uint32_t(h);
    image.format = format.code;
    if (f.planar) {
        if (a.strides(2) != item) throw py::value_error("out: samples of a row must be adjacent");
        image.plane_stride = a.strides(0);
        image.stride = a.strides(1);
    } else {
        const py::ssize_t pixel = item * py::ssize_t(f.channels);
        if ((f.channels > 1 && a.strides(2) != item) || a.strides(1) != pixel)
            throw py::value_error("out: pixels of a row must be adjacent");
        image.stride = a.strides(0);
    }
    if (image.stride == 0) throw py::value_error("out: rows may not repeat");
    return a;
}

void Check(int status) {
    if (status == ORVEX_OK) return;
    if (status == ORVEX_ERROR_MEMORY) {
        PyErr_SetString(PyExc_MemoryError, orvex_status_text(status));
        throw py::error_already_set();
    }
    throw py::value_error(orvex_status_text(status));
}

}  // namespace orvex_python
