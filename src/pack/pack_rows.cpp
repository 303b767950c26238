// The portable build of the pack kernels, and the plan that picks one.
#include "pack/pack_rows.h"

#include "pack/colour_stage.h"
#include "pack/pack_layouts.h"
#include "simd/kernel_table.h"

namespace orvex {

ORVEX_PACK_SET(kPackPortable, )

PackPlan::PackPlan(const ImageView& dst, const PackOptions& options, SimdFeatures level)
    : layout_(FindColourLayout(dst.format)) {
    if (layout_ == nullptr) return;
    colour_ = options.colour;
    // The colour stage gives samples in the output's range itself.
    const bool narrow = layout_->sampleBytes == 1 && options.sourceBits > 8 && colour_ == nullptr;
    // Floats are the samples over their largest value, which samples stored
    // as they are (no bits given) take to be 16 bits' largest.
    const uint32_t sourceBits = options.sourceBits == 0 ? 16 : options.sourceBits;
    values_ = {options.alpha, uint16_t(narrow ? 1u << (options.sourceBits - 9) : 0),
               uint8_t(narrow ? options.sourceBits - 8 : 0), float((1u << sourceBits) - 1)};
    const bool floats = layout_->sampleBytes == 4;
    const bool asIs = !narrow && !layout_->grey && !floats;
    converts_ = !asIs || colour_ != nullptr;
    // The vector kernels, and the colour stage's three-byte pixels, write
    // samples the plan has already converted.
    const DirectPixels direct = DirectPixelsOf(*layout_, layout_->sampleBytes, false);
    tripleBytes_ = colour_ != nullptr && direct.step == 3 && layout_->sampleBytes == 1;
    const bool writeAlpha = options.writeAlpha;
    static const KernelImpl<PackSet> kSets[] = {
        {Isa::Avx2, &kPackAvx2}, {Isa::Neon, &kPackNeon}, {kPortable, &kPackPortable}};
    const size_t index = RowIndexOf(dst.format);
    kernel_ =
        WidestOf(kSets, level, [&](const PackSet& s) { return s.rows[index][writeAlpha][narrow]; });
    if (floats && colour_ != nullptr)
        floats_ = WidestOf(kSets, level, [&](const PackSet& s) { return s.floats[index]; });
    // Full range: the colour stage gives 0 .. 65535 itself; 16 bits are full already.
    if (options.fullRange && layout_->sampleBytes == 2 && colour_ == nullptr &&
        options.sourceBits != 0 && options.sourceBits < 16) {
        widen_ = WidestOf(kSets, level, [](const PackSet& s) { return s.widen; });
        widenScale_ = 65535.0 / double((1u << options.sourceBits) - 1);
        converts_ = true;
    }
    // Three-sample pixels of samples stored as they are take the vector
    // kernels; narrowed into bytes, they are narrowed first.
    narrowFirst_ = narrow && !layout_->grey;
    static const KernelImpl<PackVectorSet> kVectorSets[] = {{Isa::Avx2, &kPackVectorsAvx2},
                                                            {Isa::Ssse3, &kPackVectorsSsse3}};
    // Opaque four-byte pixels with alpha after the channels: whole words.
    const bool opaque = direct.step == 4 && direct.first == 0 && writeAlpha && options.alpha == 255;
    if (opaque) {
        vectors_ = ChainOf(kVectorSets, level,
                           [&](const PackVectorSet& s) { return s.opaque8[direct.redFirst]; });
        if (narrowFirst_)
            narrow_ = WidestOf(kVectorSets, level, [](const PackVectorSet& s) { return s.narrow; });
    }
    if (direct.step == 3) {
        const bool wide = layout_->sampleBytes == 2, redFirst = direct.redFirst;
        if (!wide || redFirst)
            vectors_ = ChainOf(kVectorSets, level, [&](const PackVectorSet& s) {
                return wide ? s.triple16 : s.triple8[redFirst];
            });
        if (narrowFirst_)
            narrow_ = WidestOf(kVectorSets, level, [](const PackVectorSet& s) { return s.narrow; });
    }
}

void PackPlan::PutNarrowed(const PackRow& row, size_t first, size_t n, const uint16_t* r,
                           const uint16_t* g, const uint16_t* b) const {
    constexpr size_t kStep = 256;
    uint16_t nr[kStep], ng[kStep], nb[kStep];
    const uint32_t round = values_.round, shift = values_.shift;
    for (size_t k = 0; k < n; k += kStep) {
        const size_t m = n - k < kStep ? n - k : kStep;
        // The kernels' narrowing, by the vector kernel where there is one.
        const uint16_t* const in[3] = {r + k, g + k, b + k};
        uint16_t* const out[3] = {nr, ng, nb};
        for (size_t c = 0; c < 3; ++c)
            for (size_t i = narrow_ != nullptr ? narrow_(in[c], m, round, shift, out[c]) : 0; i < m;
                 ++i)
                out[c][i] = uint16_t(Narrowed(in[c][i], round, shift));
        const size_t done = vectors_.Run(
            0, [&](PackVectorFn f, size_t from) { return f(row, first + k, from, m, nr, ng, nb); });
        if (done < m)
            kernel_(row, first + k + done, m - done, r + k + done, g + k + done, b + k + done,
                    values_);
    }
}

void PackPlan::PutWidened(const PackRow& row, size_t first, size_t n, const uint16_t* r,
                          const uint16_t* g, const uint16_t* b) const {
    constexpr size_t kStep = 256;
    uint16_t wr[kStep], wg[kStep], wb[kStep];
    for (size_t k = 0; k < n; k += kStep) {
        const size_t m = n - k < kStep ? n - k : kStep;
        widen_(r + k, m, widenScale_, wr);
        widen_(g + k, m, widenScale_, wg);
        widen_(b + k, m, widenScale_, wb);
        const size_t done = vectors_.Run(
            0, [&](PackVectorFn f, size_t from) { return f(row, first + k, from, m, wr, wg, wb); });
        if (done < m)
            kernel_(row, first + k + done, m - done, wr + done, wg + done, wb + done, values_);
    }
}

void PackPlan::PutColour(const PackRow& row, size_t first, size_t n, const uint16_t* r,
                         const uint16_t* g, const uint16_t* b) const {
    constexpr size_t kStep = kColourChunk;
    uint16_t cr[kStep], cg[kStep], cb[kStep];
    size_t k = 0;
    // Three-byte pixels, where the stage writes them itself.
    if (tripleBytes_) k = colour_->ApplyTriple(r, g, b, n, row.at[0] + 3 * first, layout_->r == 0);
    for (; k < n; k += kStep) {
        const size_t m = n - k < kStep ? n - k : kStep;
        colour_->Apply(r + k, g + k, b + k, m, cr, cg, cb);
        const size_t done = vectors_.Run(
            0, [&](PackVectorFn f, size_t from) { return f(row, first + k, from, m, cr, cg, cb); });
        if (done < m)
            kernel_(row, first + k + done, m - done, cr + done, cg + done, cb + done, values_);
    }
}

void PackPlan::PutColourFloats(const PackRow& row, size_t first, size_t n, const uint16_t* r,
                               const uint16_t* g, const uint16_t* b) const {
    constexpr size_t kStep = kColourChunk;
    float cr[kStep], cg[kStep], cb[kStep];
    for (size_t k = 0; k < n; k += kStep) {
        const size_t m = n - k < kStep ? n - k : kStep;
        colour_->ApplyFloat(r + k, g + k, b + k, m, cr, cg, cb);
        floats_(row, first + k, m, cr, cg, cb);
    }
}

PackRow PackPlan::Row(const ImageView& dst, size_t y) const {
    uint8_t* const row = dst.data + ptrdiff_t(y) * dst.stride;
    if (!layout_->planar) return PackedAt(row);
    return {{row, row + dst.planeStride, row + 2 * dst.planeStride}};
}

}  // namespace orvex
