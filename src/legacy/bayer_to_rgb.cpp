// The demosaic export: fills the destination descriptor, then reads the
// descriptors as views the way the export always has, and runs the method.
#include <iterator>

#include "legacy/contiguous_views.h"
#include "legacy/cubic_export.h"
#include "legacy/export_formats.h"
#include "methods/bilinear/bilinear_demosaic.h"
#include "methods/block/block_demosaic.h"
#include "orvex.h"

namespace {

using LayoutMethod = void (*)(const orvex::Conversion& job, orvex::SimdFeatures level);

// Block and bilinear read the mosaic at the sample width of the destination
// layout, over the low 16 bits of width and height, rows contiguous; the planes
// of a planar layout lie the full width x height apart. Returns 0: the value
// carries no status.
int32_t RunLayoutMethod(LayoutMethod method, const ImageDesc& src, const ImageDesc& dst) {
    const orvex::ChannelLayout* layout = orvex::FindExportLayout(dst.format);
    if (layout == nullptr || !orvex::SizeRuleCovers(dst.format, src.width, src.height)) return 0;
    const uint32_t w = static_cast<uint16_t>(src.width), h = static_cast<uint16_t>(src.height);
    const ptrdiff_t bytes = layout->sampleBytes;
    const uint32_t mosaic = bytes == 2 ? orvex::kFormatMosaic16 : orvex::kFormatMosaic8;
    const ptrdiff_t planeStride =
        layout->planar ? ptrdiff_t(size_t(src.width) * src.height) * bytes : 0;
    method(orvex::WholeFrame(orvex::ContiguousSource(src.data, mosaic, w, h, src.bayerPattern),
                             orvex::ContiguousDestination(dst.data, dst.format, w, h,
                                                          src.bayerPattern, planeStride)),
           orvex::ProcessSimd());
    return 0;
}

int32_t Bilinear(const ImageDesc& src, const ImageDesc& dst) {
    return RunLayoutMethod(orvex::BilinearDemosaic, src, dst);
}

int32_t Block(const ImageDesc& src, const ImageDesc& dst) {
    return RunLayoutMethod(orvex::BlockDemosaic, src, dst);
}

int32_t CubicFloat(const ImageDesc& src, const ImageDesc& dst) {
    orvex::CubicMemory memory;
    return orvex::RunCubicExport(false, src, dst, memory);
}

int32_t CubicFixed(const ImageDesc& src, const ImageDesc& dst) {
    orvex::CubicMemory memory;
    return orvex::RunCubicExport(true, src, dst, memory);
}

using Method = int32_t (*)(const ImageDesc&, const ImageDesc&);

// Indexed by method code - 1.
constexpr Method kMethods[] = {Bilinear, Block, CubicFloat, CubicFixed};

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
