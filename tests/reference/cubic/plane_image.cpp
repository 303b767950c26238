// Plane images: creation, row access and release.
#include "cubic/plane_image.h"

#include <cstddef>
#include <cstdlib>
#include <new>

#include "core/stream_copy.h"

namespace orvex {
namespace {

void* Allocate(size_t bytes) {
    return std::malloc(bytes == 0 ? 1 : bytes);
}

}  // namespace

PlaneImage* CreatePlane(int32_t width, int32_t height) {
    void* record = Allocate(sizeof(PlaneImage));
    if (record == nullptr) return nullptr;
    const size_t bytes = size_t(uint16_t(width)) * uint16_t(height) * 4;
    void* samples = Allocate(bytes);
    if (samples == nullptr) {
        std::free(record);
        return nullptr;
    }
    return new (record) PlaneImage{static_cast<int16_t>(width), static_cast<int16_t>(height), 12, 2,
                                   static_cast<uint16_t*>(samples)};
}

uint16_t* PlaneRow(const PlaneImage& plane, uint16_t row) {
    return plane.data + size_t(row) * size_t(plane.width) * size_t(plane.bytesPerSample);
}

void CopyPlaneRow(const PlaneImage& plane, uint16_t row, uint16_t* dst) {
    CopyRow(dst, PlaneRow(plane, row), size_t(plane.width) * size_t(plane.bytesPerSample));
}

void GetPlaneSize(const PlaneImage& plane, int16_t& width, int16_t& height) {
    width = plane.width;
    height = plane.height;
}

void ReleasePlane(PlaneImage* plane) {
    if (plane == nullptr) return;
    std::free(plane->data);
    plane->~PlaneImage();
    std::free(plane);
}

bool CreatePlaneSet(PlaneImage* set[4], int32_t width, int32_t height) {
    for (int i = 0; i < 4; ++i) set[i] = nullptr;
    for (int i = 0; i < 4; ++i) {
        set[i] = CreatePlane(width, height);
        if (set[i] == nullptr) {
            for (int j = 0; j < i; ++j) {
                ReleasePlane(set[j]);
                set[j] = nullptr;
            }
            return false;
        }
    }
    return true;
}

}  // namespace orvex
