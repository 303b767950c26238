// The portable build of the fused bilinear rows, and the choice of kernels,
// once per call.
#include "core/stream_copy.h"
#include "methods/bilinear/bilinear_fused_rows.h"

namespace orvex {

ORVEX_BILINEAR_FUSED_SET(kBilinearFusedPortable, )

KernelChain<BilinearRowFn> ChooseBilinearRow(SimdFeatures level, BilinearPixels pixels,
                                             BilinearRowKinds kinds, bool redFirst) {
    static const KernelImpl<BilinearRowSet> kSets[] = {{Isa::Avx512, &kBilinearRowsAvx512},
                                                       {Isa::Avx2, &kBilinearRowsAvx2},
                                                       {Isa::Ssse3, &kBilinearRowsSsse3},
                                                       {Isa::Neon, &kBilinearRowsNeon}};
    return ChainOf(kSets, level, [&](const BilinearRowSet& s) {
        const auto& table = pixels == BilinearPixels::Quad8         ? s.quad8
                            : pixels == BilinearPixels::Quad8Opaque ? s.quad8Opaque
                            : pixels == BilinearPixels::Triple8     ? s.triple8
                                                                    : s.triple16;
        return table[kinds.redRow][kinds.evenColour][redFirst];
    });
}

BilinearRowFn ChooseBilinearStreamRow(SimdFeatures level, BilinearRowKinds kinds, bool redFirst) {
    static const KernelImpl<BilinearStreamRows> kSets[] = {
        {Isa::Avx512, &kBilinearStreamRowsAvx512}};
    return WidestOf(kSets, level, [&](const BilinearStreamRows& s) {
        return s[kinds.redRow][kinds.evenColour][redFirst];
    });
}

BilinearEdgeFn ChooseBilinearEdgeRow(SimdFeatures level, bool right, BilinearRowKinds kinds,
                                     bool redFirst) {
    static const KernelImpl<BilinearEdgeRows> kSets[] = {
        {Isa::Avx512, &kBilinearEdgeRowsAvx512[1]}};
    static const KernelImpl<BilinearEdgeRows> kLeftSets[] = {
        {Isa::Avx512, &kBilinearEdgeRowsAvx512[0]}};
    return WidestOf(right ? kSets : kLeftSets, level, [&](const BilinearEdgeRows& s) {
        return s[kinds.redRow][kinds.evenColour][redFirst];
    });
}

BilinearValuesFn ChooseBilinearValues(SimdFeatures level, size_t sampleBytes) {
    using Values = BilinearValuesFn[2];
    static const KernelImpl<Values> kSets[] = {{Isa::Avx512, &kBilinearValuesAvx512}};
    return WidestOf(kSets, level, [&](const Values& s) { return s[sampleBytes == 2]; });
}

BilinearRowKernels ChooseBilinearRows(const Conversion& job, const PackPlan& pack,
                                      size_t sampleBytes, SimdFeatures level) {
    BilinearRowKernels k{};
    if (job.frame.pattern > kBggr || !pack.Valid()) return k;
    const ChannelLayout& layout = pack.Layout();
    // Pixels the vector kernels may write themselves take them.
    const DirectPixels direct = pack.Direct(sampleBytes);
    const bool vectorLayout = direct.step != 0, quad = direct.step == 4;
    // Opaque four-byte pixels with alpha after the channels are stored
    // whole, alpha included, where the level has such kernels.
    const bool opaque = quad && job.pack.writeAlpha && job.pack.alpha == 255 &&
                        layout.alpha == int(direct.first) + 3;
    const BilinearPixels pixels = quad               ? BilinearPixels::Quad8
                                  : sampleBytes == 1 ? BilinearPixels::Triple8
                                                     : BilinearPixels::Triple16;
    const uint8_t* rowCombos = kRowCombos[job.frame.pattern];
    bool wholePixels = false;
    if (vectorLayout)
        for (size_t i = 0; i < 2; ++i) {
            // The kernels count columns from the region's first.
            BilinearRowKinds kinds = kComboKinds[rowCombos[i]];
            kinds.evenColour = kinds.evenColour != (job.x % 2 == 1);
            const bool redFirst = direct.redFirst;
            if (opaque) {
                k.vectors[i] =
                    ChooseBilinearRow(level, BilinearPixels::Quad8Opaque, kinds, redFirst);
                // Large outputs are streamed: a 64-byte line of pixels
                // costs a read of the line before its stores otherwise.
                if (uint64_t(job.dst.width) * job.dst.height * 4 >= StreamingOutputBytes())
                    k.streams[i] = ChooseBilinearStreamRow(level, kinds, redFirst);
                // The frame's edge columns by the widest kernel too, where
                // its 64 columns and a neighbour fit the region and frame,
                // in rows not streamed: next to streamed lines their plain
                // stores took 4096x3072 frames about 1.1 x the CPU time.
                const size_t fw = job.frame.width, w = job.dst.width;
                if (k.streams[i] == nullptr && job.reflectEdges && fw >= kEdgeColumns + 2 &&
                    w >= kEdgeColumns + 2) {
                    if (job.x == 0)
                        k.edges[i][0] = ChooseBilinearEdgeRow(level, false, kinds, redFirst);
                    if (job.x + w == fw) {
                        k.rightEdgeAt = w - kEdgeColumns;
                        BilinearRowKinds at = kinds;
                        at.evenColour = at.evenColour != (k.rightEdgeAt % 2 == 1);
                        k.edges[i][1] = ChooseBilinearEdgeRow(level, true, at, redFirst);
                    }
                }
            }
            wholePixels = !k.vectors[i].Empty();
            if (!wholePixels) {
                k.vectors[i] = ChooseBilinearRow(level, pixels, kinds, redFirst);
                k.streams[i] = nullptr;
                k.edges[i][0] = k.edges[i][1] = nullptr;
            }
        }
    // Pixels the pack stage converts take their 8-bit values from a vector
    // kernel where there is one.
    k.values = !vectorLayout ? ChooseBilinearValues(level, sampleBytes) : nullptr;
    // The four-byte kernels leave alpha alone: where the call writes it, it
    // follows them.
    k.fillAlpha = quad && vectorLayout && !wholePixels && job.pack.writeAlpha && layout.alpha >= 0;
    k.offset = direct.first * sampleBytes;
    return k;
}

}  // namespace orvex
