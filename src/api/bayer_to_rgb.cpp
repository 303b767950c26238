// Demosaic dispatcher: fills the destination descriptor, then runs the method.
#include <iterator>

#include "api/cubic_gate.h"
#include "bilinear/bilinear_demosaic.h"
#include "block/block_demosaic.h"
#include "cubic/cubic_demosaic.h"
#include "orvex.h"

namespace {

using Method = int32_t (*)(const ImageDesc&, const ImageDesc&);

int32_t GatedCubicFloat(const ImageDesc& src, const ImageDesc& dst) {
    return orvex::RunGatedCubic(orvex::DemosaicBicubicFloat, src, dst);
}

int32_t GatedCubicFixed(const ImageDesc& src, const ImageDesc& dst) {
    return orvex::RunGatedCubic(orvex::DemosaicBicubicFixed, src, dst);
}

// Indexed by method code - 1.
constexpr Method kMethods[] = {
    orvex::BilinearDemosaic,
    orvex::BlockDemosaic,
    GatedCubicFloat,
    GatedCubicFixed,
};

}  // namespace

extern "C" ORVEX_API int32_t ORVEX_CALL Orvex_BayerToRgb(uint32_t method, const ImageDesc* src,
                                                         ImageDesc* dst) {
    dst->bitDepth = src->bitDepth;
    dst->width = src->width;
    dst->height = src->height;
    dst->size = Orvex_CalcImageSize(dst->format, dst->width, dst->height);

    const uint32_t index = method - 1u;
    if (index >= std::size(kMethods)) return static_cast<int32_t>(index);
    return kMethods[index](*src, *dst);
}
