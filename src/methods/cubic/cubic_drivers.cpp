// Drivers of the two cubic methods: plan the tables, then the image row by
// row: each output row advances the four plane rings down the mosaic, takes
// one vertical sum per plane and recombines the four plane rows.
#include <cstddef>

#include "methods/cubic/cubic_demosaic.h"
#include "methods/cubic/cubic_plan.h"
#include "methods/cubic/plane_recombine.h"
#include "methods/cubic/row_kernels.h"
#include "pack/pack_rows.h"

namespace orvex {
namespace {

constexpr int32_t kLeftMargin = 1;
constexpr int32_t kRightMargin = 2;

// What differs between the two number forms.
struct NumberForm {
    bool (*buildWeights)(CubicPlan& plan, int32_t inSize, int32_t outSize, bool horizontal);
    void (*enlargeRow)(const CubicPlan& plan, uint16_t* ring, int32_t outWidth);
    // Output row `row`, columns first .. first + width - 1.
    const uint16_t* (*verticalRow)(const CubicPlan& plan, uint16_t* out,
                                   const uint16_t* const ring[4], size_t first, size_t width,
                                   size_t row);
};

bool BuildFloatWeights(CubicPlan& plan, int32_t inSize, int32_t outSize, bool horizontal) {
    return BuildCubicWeights(
        plan.memory, horizontal ? plan.horizontalWeights : plan.verticalWeights, inSize, outSize);
}

bool BuildFixedWeights(CubicPlan& plan, int32_t inSize, int32_t outSize, bool horizontal) {
    return BuildCubicWeightsFixed(
        plan.memory, horizontal ? plan.horizontalWeightsFixed : plan.verticalWeightsFixed, inSize,
        outSize);
}

void EnlargeFloat(const CubicPlan& plan, uint16_t* ring, int32_t outWidth) {
    EnlargeRow(ring, plan.scratch, outWidth, kLeftMargin, plan.horizontalIndex,
               plan.horizontalWeights, plan.kernels);
}

void EnlargeFixed(const CubicPlan& plan, uint16_t* ring, int32_t outWidth) {
    EnlargeRowFixed(ring, plan.scratch, outWidth, kLeftMargin, plan.horizontalIndex,
                    plan.horizontalWeightsFixed, plan.kernels);
}

const uint16_t* VerticalFloat(const CubicPlan& plan, uint16_t* out, const uint16_t* const ring[4],
                              size_t first, size_t width, size_t row) {
    return VerticalRow(out, ring, width, kLeftMargin + int32_t(first), plan.verticalWeights, row,
                       plan.kernels);
}

const uint16_t* VerticalFixed(const CubicPlan& plan, uint16_t* out, const uint16_t* const ring[4],
                              size_t first, size_t width, size_t row) {
    return VerticalRowFixed(out, ring, width, kLeftMargin + int32_t(first),
                            plan.verticalWeightsFixed, row, plan.kernels);
}

constexpr NumberForm kFloatForm{BuildFloatWeights, EnlargeFloat, VerticalFloat};
constexpr NumberForm kFixedForm{BuildFixedWeights, EnlargeFixed, VerticalFixed};

// Column dx and row dy of the red sample inside the 2x2 cell, by pattern.
constexpr uint8_t kRedColumn[4] = {0, 1, 0, 1};
constexpr uint8_t kRedRow[4] = {0, 0, 1, 1};

// Where each plane of the set sits inside the cell.
MosaicPlane PlaneOf(const SourceView& src, int p) {
    const size_t dx = kRedColumn[src.pattern], dy = kRedRow[src.pattern];
    const size_t rowOffset[4] = {dy, 1 - dy, dy, 1 - dy};  // R, B, Gr, Gb
    const size_t columnOffset[4] = {dx, 1 - dx, 1 - dx, dx};
    return {src.data,
            src.stride,
            src.width,
            src.format == kFormatMosaic16,
            rowOffset[p],
            columnOffset[p],
            int32_t(src.width >> 1),
            int32_t(src.height >> 1),
            src.firstRow};
}

bool AllocateBands(CubicPlan& plan, size_t width) {
    const size_t ringBytes = (width + kLeftMargin + kRightMargin) * sizeof(uint16_t);
    for (PlaneBand& band : plan.bands) {
        for (auto& row : band.ring)
            if ((row = static_cast<uint16_t*>(plan.memory.Allocate(ringBytes))) == nullptr)
                return false;
        band.row = static_cast<uint16_t*>(plan.memory.Allocate(width * sizeof(uint16_t)));
        if (band.row == nullptr) return false;
    }
    plan.scratch = static_cast<uint16_t*>(plan.memory.Allocate(width * sizeof(uint16_t)));
    return plan.scratch != nullptr;
}

void LoadRow(const NumberForm& form, const CubicPlan& plan, const MosaicPlane& plane, int32_t row,
             uint16_t* ring, int32_t width) {
    LoadMosaicRow(plane, row, ring, kLeftMargin, kRightMargin, plan.kernels);
    form.enlargeRow(plan, ring, width);
}

// Moves the band's ring down the plane until ring rows 0..3 hold the
// enlarged plane rows S - 1 .. S + 2. The rows rotate rather than copy: the
// freed row is rewritten wherever it is read before it is read.
void Advance(const NumberForm& form, const CubicPlan& plan, const MosaicPlane& plane,
             PlaneBand& band, int32_t anchor, int32_t width) {
    while (band.last < anchor) {
        uint16_t* freed = band.ring[0];
        band.ring[0] = band.ring[1];
        band.ring[1] = band.ring[2];
        band.ring[2] = band.ring[3];
        band.ring[3] = freed;
        LoadRow(form, plan, plane, band.last + 3, freed, width);
        ++band.last;
    }
}

// The tables and bands of a frame; false on the first failed allocation.
bool PrepareTables(const NumberForm& form, CubicPlan& plan, const SourceView& src) {
    const auto pw = static_cast<int32_t>(src.width >> 1),
               ph = static_cast<int32_t>(src.height >> 1);
    const auto w = static_cast<int32_t>(src.width), h = static_cast<int32_t>(src.height);
    return BuildSourceIndex(plan.memory, plan.horizontalIndex, pw, w) &&
           BuildSourceIndex(plan.memory, plan.verticalIndex, ph, h) &&
           form.buildWeights(plan, pw, w, true) && form.buildWeights(plan, ph, h, false) &&
           AllocateBands(plan, src.width);
}

// Converts the region row by row. The rows are whole frame rows: a region's
// are the frame's, whatever its size.
void ConvertRows(const NumberForm& form, CubicPlan& plan, const Conversion& job,
                 const PackPlan& pack) {
    const SourceView& src = job.frame;
    const auto w = static_cast<int32_t>(src.width);
    // RGB48 takes its row 0 from row 1 and never reads plane row 0.
    const bool rowZeroCopied = job.dst.format == kFormatRgb48;
    auto sourceRow = [&](uint32_t j) { return j == 0 && rowZeroCopied ? 1u : j; };
    // The rings start at the plane rows the region's first row reads: ring
    // row k holds plane row last + k - 1 until the first advance.
    const int32_t anchor = plan.verticalIndex[sourceRow(job.y)];
    MosaicPlane planes[4];
    for (int p = 0; p < 4; ++p) {
        planes[p] = PlaneOf(src, p);
        PlaneBand& band = plan.bands[p];
        for (int32_t row = -1; row <= 1; ++row)
            LoadRow(form, plan, planes[p], anchor + row, band.ring[row + 2], w);
        band.last = anchor - 1;
    }
    // Plane columns the region reads: x - 1 and x for its pixels x, and 0
    // and 1 for the frame's pixel 0, which repeats pixel 1.
    const size_t end = job.x + job.dst.width < 2 ? 2 : job.x + job.dst.width;
    const size_t first = job.x > 0 ? job.x - 1 : 0, width = end - first;
    const uint16_t* rows[4];
    for (uint32_t y = 0; y < job.dst.height; ++y) {
        const uint32_t j = sourceRow(job.y + y);
        for (int p = 0; p < 4; ++p) {
            PlaneBand& band = plan.bands[p];
            Advance(form, plan, planes[p], band, plan.verticalIndex[j], w);
            rows[p] = form.verticalRow(plan, band.row, band.ring, first, width, j);
        }
        RecombinePlaneRow(pack, pack.Row(job.dst, y), rows, first, job.x, job.dst.width,
                          src.pattern, job.maxValue, plan.kernels);
    }
}

}  // namespace

CubicConversion::CubicConversion(bool fixed, const Conversion& job, CubicMemory& memory,
                                 SimdFeatures level)
    : CubicConversion(fixed, job, memory, level, ChooseCubicRows(level)) {}

CubicConversion::CubicConversion(bool fixed, const Conversion& job, CubicMemory& memory,
                                 SimdFeatures level, const CubicRowKernels& kernels)
    : fixed_(fixed), level_(level), job_(job), plan_(new CubicPlan(memory, kernels)) {}

CubicConversion::~CubicConversion() = default;

bool CubicConversion::Prepare() {
    return PrepareTables(fixed_ ? kFixedForm : kFloatForm, *plan_, job_.frame);
}

void CubicConversion::Convert() {
    Convert(job_, PackPlan(job_.dst, job_.pack, level_));
}

void CubicConversion::Convert(const Conversion& part, const PackPlan& pack) {
    ConvertRows(fixed_ ? kFixedForm : kFloatForm, *plan_, part, pack);
}

int32_t DemosaicBicubicFloat(const Conversion& job, CubicMemory& memory, SimdFeatures level) {
    CubicConversion conversion(false, job, memory, level);
    if (!conversion.Prepare()) return kCubicFailed;
    conversion.Convert();
    return 0;
}

int32_t DemosaicBicubicFixed(const Conversion& job, CubicMemory& memory, SimdFeatures level) {
    CubicConversion conversion(true, job, memory, level);
    if (!conversion.Prepare()) return kCubicFailed;
    conversion.Convert();
    return 0;
}

}  // namespace orvex
