// The formats' facts, written once: each format's interface code and name,
// its role, how its samples are stored (whole bytes or a bit packing) and
// where the channels of a colour layout sit. Sizes, image checks, names and
// the pack kernels are lookups here; a new format is one row (and, where
// the core names it, one code).
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvex {

// Format codes of the core. The eight exports use the same numbers for the
// thirteen they know; the later ones are the second interface's. Codes
// need not be contiguous: nothing indexes by them.
enum FormatCode : uint32_t {
    kFormatRaw8 = 0,
    kFormatRaw16 = 1,
    kFormatMono8 = 2,
    kFormatMono16 = 3,
    kFormatMosaic8 = 4,
    kFormatMosaic16 = 5,
    kFormatPlanarRgb24 = 6,
    kFormatPlanarRgb48 = 7,
    kFormatBgr24 = 8,
    kFormatArgb32 = 9,
    kFormatRgb48 = 10,
    kFormatBgra32 = 11,
    kFormatRgb24 = 12,
    kFormatRgba32 = 13,
    kFormatGray8 = 14,
    kFormatGray16 = 15,
    // Bit-packed mosaics of the second interface (no whole bytes per pixel).
    kFormatMosaic10Mipi = 16,
    kFormatMosaic12Mipi = 17,
    kFormatMosaic14Mipi = 18,
    kFormatMosaic10Pfnc = 19,
    kFormatMosaic12Pfnc = 20,
    kFormatMosaic12Gige = 21,
    kFormatAbgr32 = 22,
    kFormatRgba64 = 23,
    // Outputs of native floats, each value in 0 .. 1.
    kFormatRgbF32 = 24,
    kFormatPlanarRgbF32 = 25,
    kFormatGrayF32 = 26,
    // 16-bit samples high byte first, whatever the host's order.
    kFormatMosaic16Be = 27,
};

// Colours of a mosaic's top-left 2 x 2 cell, row by row.
enum PatternCode : uint32_t { kRggb = 0, kGrbg = 1, kGbrg = 2, kBggr = 3 };

inline constexpr const char* kPatternNames[] = {"rggb", "grbg", "gbrg", "bggr"};

// What a format is for. Size-only formats are known to the eight exports'
// size rule and nothing else.
enum class FormatRole : uint8_t { Mosaic, Output, SizeOnly };

// Where R, G, B and alpha of pixel 0 sit in a colour layout, and how far
// apart consecutive pixels of one channel are. Offsets and step count
// samples; for planar layouts the offsets are plane indices. A grey layout
// holds one sample per pixel, the luma of R, G and B. Mosaics: one sample
// a pixel (sampleBytes 0 for bit-packed ones). Four-byte samples are
// native floats.
struct ChannelLayout {
    uint8_t sampleBytes;
    uint8_t step;
    bool planar;
    uint8_t r, g, b;
    int8_t alpha;  // -1: none
    bool grey;
};

// A bit packing: a group of `groupSamples` samples fills `groupBytes`
// bytes; a bit stream's row ends after its last sample's byte, any width.
struct Packing {
    uint32_t format;  // FormatCode (the row's own)
    uint32_t bits;    // significant bits of a sample
    uint32_t groupSamples, groupBytes;
    bool bitStream;
};

struct FormatRow {
    uint32_t code;  // orvex_format; 0: none (size-only formats)
    uint32_t core;  // FormatCode
    const char* name;
    FormatRole role;
    uint8_t bits;      // mosaics: stored bits (8, 16) or the packing's N; outputs: of a sample
    uint8_t channels;  // samples of a pixel
    ChannelLayout layout;
    Packing packing;  // groupSamples 0: whole bytes per sample
};

namespace table {
constexpr FormatRow Mosaic(uint32_t code, uint32_t core, const char* name, uint8_t bytes) {
    return {code,
            core,
            name,
            FormatRole::Mosaic,
            uint8_t(8 * bytes),
            1,
            {bytes, 1, false, 0, 0, 0, -1, false},
            {core, 0, 0, 0, false}};
}
constexpr FormatRow BitPacked(uint32_t code, uint32_t core, const char* name, uint8_t bits,
                              uint32_t groupSamples, uint32_t groupBytes, bool bitStream) {
    return {code,
            core,
            name,
            FormatRole::Mosaic,
            bits,
            1,
            {0, 1, false, 0, 0, 0, -1, false},
            {core, bits, groupSamples, groupBytes, bitStream}};
}
constexpr FormatRow Output(uint32_t code, uint32_t core, const char* name, ChannelLayout l) {
    const uint8_t channels = l.grey ? 1 : l.alpha >= 0 ? 4 : 3;
    return {code,
            core,
            name,
            FormatRole::Output,
            uint8_t(8 * l.sampleBytes),
            channels,
            l,
            {core, 0, 0, 0, false}};
}
constexpr FormatRow SizeOnly(uint32_t core, uint8_t bytes) {
    return {0,
            core,
            nullptr,
            FormatRole::SizeOnly,
            uint8_t(8 * bytes),
            1,
            {bytes, 1, false, 0, 0, 0, -1, false},
            {core, 0, 0, 0, false}};
}
}  // namespace table

// Interface codes (include/orvex2.h), restated here so that the core does
// not include the interface; the table is listed in the interface's order.
inline constexpr FormatRow kFormats[] = {
    table::Mosaic(1, kFormatMosaic8, "mosaic8", 1),
    table::Mosaic(2, kFormatMosaic16, "mosaic16", 2),
    table::BitPacked(3, kFormatMosaic10Mipi, "raw10-mipi", 10, 4, 5, false),
    table::BitPacked(4, kFormatMosaic12Mipi, "raw12-mipi", 12, 2, 3, false),
    table::BitPacked(5, kFormatMosaic14Mipi, "raw14-mipi", 14, 4, 7, false),
    table::BitPacked(6, kFormatMosaic10Pfnc, "raw10-pfnc", 10, 4, 5, true),
    table::BitPacked(7, kFormatMosaic12Pfnc, "raw12-pfnc", 12, 2, 3, true),
    table::BitPacked(8, kFormatMosaic12Gige, "raw12-gige", 12, 2, 3, false),
    // A "packing" of one sample in two bytes: its rows pass through the
    // unpack stage, which swaps the bytes as it reads them.
    table::BitPacked(9, kFormatMosaic16Be, "mosaic16-be", 16, 1, 2, false),
    //                                          bytes step planar r  g  b  alpha grey
    table::Output(16, kFormatRgb24, "rgb24", {1, 3, false, 0, 1, 2, -1, false}),
    table::Output(17, kFormatBgr24, "bgr24", {1, 3, false, 2, 1, 0, -1, false}),
    table::Output(18, kFormatRgba32, "rgba32", {1, 4, false, 0, 1, 2, 3, false}),
    table::Output(19, kFormatBgra32, "bgra32", {1, 4, false, 2, 1, 0, 3, false}),
    table::Output(20, kFormatArgb32, "argb32", {1, 4, false, 1, 2, 3, 0, false}),
    table::Output(21, kFormatRgb48, "rgb48", {2, 3, false, 0, 1, 2, -1, false}),
    table::Output(22, kFormatPlanarRgb24, "planar-rgb24", {1, 1, true, 0, 1, 2, -1, false}),
    table::Output(23, kFormatPlanarRgb48, "planar-rgb48", {2, 1, true, 0, 1, 2, -1, false}),
    table::Output(24, kFormatGray8, "gray8", {1, 1, false, 0, 0, 0, -1, true}),
    table::Output(25, kFormatGray16, "gray16", {2, 1, false, 0, 0, 0, -1, true}),
    table::Output(26, kFormatAbgr32, "abgr32", {1, 4, false, 3, 2, 1, 0, false}),
    table::Output(27, kFormatRgba64, "rgba64", {2, 4, false, 0, 1, 2, 3, false}),
    table::Output(28, kFormatRgbF32, "rgb-f32", {4, 3, false, 0, 1, 2, -1, false}),
    table::Output(29, kFormatPlanarRgbF32, "planar-rgb-f32", {4, 1, true, 0, 1, 2, -1, false}),
    table::Output(30, kFormatGrayF32, "gray-f32", {4, 1, false, 0, 0, 0, -1, true}),
    // Sources of the eight exports that only their size rule knows.
    table::SizeOnly(kFormatRaw8, 1),
    table::SizeOnly(kFormatRaw16, 2),
    table::SizeOnly(kFormatMono8, 1),
    table::SizeOnly(kFormatMono16, 2),
};

inline constexpr size_t kFormatRowCount = sizeof(kFormats) / sizeof(kFormats[0]);

// The row of a core code, or kFormatRowCount.
constexpr size_t RowIndexOf(uint32_t core) {
    for (size_t i = 0; i < kFormatRowCount; ++i)
        if (kFormats[i].core == core) return i;
    return kFormatRowCount;
}

// The row of a core code, or null.
inline const FormatRow* FindFormat(uint32_t core) {
    const size_t i = RowIndexOf(core);
    return i < kFormatRowCount ? &kFormats[i] : nullptr;
}

// The row of an interface code, or null.
inline const FormatRow* FindInterfaceFormat(uint32_t code) {
    if (code == 0) return nullptr;
    for (const FormatRow& f : kFormats)
        if (f.code == code) return &f;
    return nullptr;
}

// The layout of a colour format known at compile time.
template <uint32_t kFormat>
inline constexpr ChannelLayout kLayoutOf = kFormats[RowIndexOf(kFormat)].layout;

// The colour layout of a format, or null for formats that have none.
inline const ChannelLayout* FindColourLayout(uint32_t format) {
    const FormatRow* f = FindFormat(format);
    return f != nullptr && f->role == FormatRole::Output ? &f->layout : nullptr;
}

// Packed pixels of integer samples whose R, G and B sit side by side,
// green in the middle: three samples, or four bytes with alpha before or
// after. The one shape that kernels storing whole pixels themselves write.
struct DirectPixels {
    uint8_t step;   // samples of a pixel; 0: not this shape
    uint8_t first;  // the sample of R or B, whichever comes first
    bool redFirst;
};

// Whether a kernel that stores pixels of `sampleBytes`-byte samples may
// write `l`'s rows itself, and how it sees them: only where its samples go
// out unchanged (`converts` false) in this shape.
constexpr DirectPixels DirectPixelsOf(const ChannelLayout& l, size_t sampleBytes, bool converts) {
    const uint8_t first = l.r < l.b ? l.r : l.b;
    const bool shape = !l.planar && !l.grey && l.sampleBytes == sampleBytes &&
                       (l.step == 3 || (l.step == 4 && l.sampleBytes == 1)) && l.sampleBytes < 4 &&
                       l.g == first + 1 && (l.r == first + 2 || l.b == first + 2);
    if (!shape || converts) return {0, 0, false};
    return {l.step, first, l.r == first};
}

// The bit packing of a format, or null for formats of whole bytes per sample.
inline const Packing* FindPacking(uint32_t format) {
    const FormatRow* f = FindFormat(format);
    return f != nullptr && f->packing.groupSamples != 0 ? &f->packing : nullptr;
}

// Bytes of a bit-packed row of `width` samples; 0 when the packing cannot
// hold that width in whole bytes. Widths below 2^32 cannot overflow.
constexpr uint64_t BitPackedRowBytes(const Packing& p, uint64_t width) {
    if (p.bitStream) return (width * p.bits + 7) / 8;
    if (width % p.groupSamples != 0) return 0;
    return width / p.groupSamples * p.groupBytes;
}

// Bytes of a pixel over all its planes; 0 for bit-packed formats.
constexpr uint32_t PixelBytes(const FormatRow& f) {
    return uint32_t(f.layout.sampleBytes) * f.channels;
}

// Bytes of one row of `width` pixels laid out without padding (a planar
// layout's row is one plane's); 0 when a bit packing cannot hold the width.
constexpr uint64_t RowBytes(const FormatRow& f, uint64_t width) {
    if (f.packing.groupSamples != 0) return BitPackedRowBytes(f.packing, width);
    return width * f.layout.sampleBytes * (f.layout.planar ? 1 : f.channels);
}

// The same for a core code known to be in the table: the stride of
// contiguous rows.
inline size_t ContiguousRowBytes(uint32_t format, uint32_t width) {
    return size_t(RowBytes(*FindFormat(format), width));
}

namespace table {
constexpr bool Consistent() {
    for (size_t i = 0; i < kFormatRowCount; ++i) {
        const FormatRow& f = kFormats[i];
        if (f.packing.format != f.core) return false;
        for (size_t j = 0; j < i; ++j)
            if (kFormats[j].core == f.core || (f.code != 0 && kFormats[j].code == f.code))
                return false;
    }
    return true;
}
static_assert(Consistent(), "every format row has its own codes");
}  // namespace table

}  // namespace orvex
