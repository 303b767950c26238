// Every size is checked before it is multiplied, so a view's byte extent is
// known to fit the address space before any pointer is formed from it.
#include "api/image_check.h"

#include <cstdlib>
#include <limits>

#include "core/formats.h"

namespace orvex::api {
namespace {

constexpr uint64_t kMaxBytes = uint64_t(std::numeric_limits<ptrdiff_t>::max());

// a * b, or false when it exceeds the largest object.
bool Times(uint64_t a, uint64_t b, uint64_t& out) {
    if (a != 0 && b > kMaxBytes / a) return false;
    out = a * b;
    return true;
}

uint64_t Magnitude(ptrdiff_t v) {
    return v < 0 ? uint64_t(-(v + 1)) + 1 : uint64_t(v);
}

// True when two planes `distance` bytes apart, each of `rows` rows of
// rowBytes every `stride` bytes, share a byte: some row pair k rows apart
// lies closer than a row.
bool PlanesOverlap(int64_t distance, uint64_t stride, uint64_t rows, uint64_t rowBytes) {
    const int64_t s = int64_t(stride), span = int64_t(rows) - 1;
    // The row offsets k that bring the planes closest: around -distance / s.
    const int64_t centre = s == 0 ? 0 : -distance / s;
    for (int64_t k = centre - 1; k <= centre + 1; ++k) {
        if (k < -span || k > span) continue;
        const int64_t gap = distance + k * s;
        if (uint64_t(gap < 0 ? -gap : gap) < rowBytes) return true;
    }
    return false;
}

}  // namespace

int CheckImage(const orvex_image* image, Role role, CheckedImage& out) {
    if (image == nullptr || image->data == nullptr) return ORVEX_ERROR_ARGUMENT;
    const FormatRow* format = FindInterfaceFormat(image->format);
    if (format == nullptr) return ORVEX_ERROR_ARGUMENT;
    if (format->role != (role == Role::Mosaic ? FormatRole::Mosaic : FormatRole::Output))
        return ORVEX_ERROR_UNSUPPORTED;
    uint32_t bits = 0;
    if (role == Role::Mosaic) {
        if (image->pattern > ORVEX_BGGR) return ORVEX_ERROR_ARGUMENT;
        // 16-bit samples (either byte order) may hold fewer significant bits;
        // other mosaics exactly theirs.
        const bool fewer = format->bits == 16;
        bits = image->bits == 0 ? format->bits : image->bits;
        if (fewer ? bits < 9 || bits > 16 : bits != format->bits) return ORVEX_ERROR_ARGUMENT;
    }
    if (image->width == 0 || image->height == 0) return ORVEX_ERROR_SIZE;

    const bool planar = format->layout.planar;
    // Widths below 2^32 times at most 16 bytes a pixel fit 64 bits.
    const uint64_t rowBytes = RowBytes(*format, image->width);
    if (rowBytes == 0 || rowBytes > kMaxBytes) return ORVEX_ERROR_SIZE;
    const uint64_t stride = image->stride == 0 ? rowBytes : Magnitude(image->stride);
    if (stride < rowBytes || stride > kMaxBytes) return ORVEX_ERROR_SIZE;
    // Rows of one plane: from the lowest row start to the highest row end.
    uint64_t rowsSpan = 0;
    if (!Times(image->height - 1, stride, rowsSpan) || rowsSpan > kMaxBytes - rowBytes)
        return ORVEX_ERROR_SIZE;
    const uint64_t planeSpan = rowsSpan + rowBytes;

    uint64_t planeStride = 0;
    if (planar) {
        if (image->plane_stride == 0) {
            if (!Times(stride, image->height, planeStride)) return ORVEX_ERROR_SIZE;
        } else {
            planeStride = Magnitude(image->plane_stride);
        }
        if (planeStride > kMaxBytes / 4) return ORVEX_ERROR_SIZE;
        const int64_t d = image->plane_stride < 0 ? -int64_t(planeStride) : int64_t(planeStride);
        const int64_t s = image->stride < 0 ? -int64_t(stride) : int64_t(stride);
        // Planes p and q lie (q - p) plane strides apart; with the rows
        // running the other way the picture is mirrored, not changed.
        if (PlanesOverlap(d, uint64_t(s < 0 ? -s : s), image->height, rowBytes) ||
            PlanesOverlap(2 * d, uint64_t(s < 0 ? -s : s), image->height, rowBytes))
            return ORVEX_ERROR_SIZE;
    }
    // Bytes from the lowest to the highest address the view touches.
    const uint64_t planesSpan = planar ? 2 * planeStride : 0;
    if (planesSpan > kMaxBytes - planeSpan) return ORVEX_ERROR_SIZE;
    const uint64_t below =
        (image->stride < 0 ? rowsSpan : 0) + (planar && image->plane_stride < 0 ? planesSpan : 0);
    const uint64_t extent = planeSpan + planesSpan;
    const auto address = reinterpret_cast<uintptr_t>(image->data);
    if (below > address || extent - below > std::numeric_limits<uintptr_t>::max() - address)
        return ORVEX_ERROR_SIZE;

    const ptrdiff_t rowStride = image->stride == 0 ? ptrdiff_t(rowBytes) : image->stride;
    const ptrdiff_t planeDistance = !planar                    ? 0
                                    : image->plane_stride == 0 ? ptrdiff_t(planeStride)
                                                               : image->plane_stride;
    out.view = {static_cast<uint8_t*>(image->data),
                rowStride,
                planeDistance,
                image->width,
                image->height,
                format->core,
                role == Role::Mosaic ? image->pattern : 0};
    out.bits = bits;
    out.low = address - uintptr_t(below);
    out.high = out.low + uintptr_t(extent);
    return ORVEX_OK;
}

}  // namespace orvex::api
