#include "sheet_text.h"

#include <algorithm>
#include <limits>

namespace orvex_tool {
namespace {

constexpr uint32_t kCellWidth = 6;
constexpr uint32_t kCellHeight = 8;
constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr uint64_t kMax64 = std::numeric_limits<uint64_t>::max();
constexpr uint32_t kMax32 = std::numeric_limits<uint32_t>::max();

// Printable ASCII from 32: one byte per row, top row first; the low five bits
// are the pixels with bit 4 the leftmost column, so each row reads as drawn.
constexpr uint8_t kGlyphs[95][kGlyphHeight] = {
    {0b00000, 0b00000, 0b00000, 0b00000, 0b00000, 0b00000, 0b00000},  // space
    {0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00000, 0b00100},  // !
    {0b01010, 0b01010, 0b01010, 0b00000, 0b00000, 0b00000, 0b00000},  // "
    {0b01010, 0b01010, 0b11111, 0b01010, 0b11111, 0b01010, 0b01010},  // #
    {0b00100, 0b01111, 0b10100, 0b01110, 0b00101, 0b11110, 0b00100},  // $
    {0b11000, 0b11001, 0b00010, 0b00100, 0b01000, 0b10011, 0b00011},  // %
    {0b01100, 0b10010, 0b10100, 0b01000, 0b10101, 0b10010, 0b01101},  // &
    {0b00100, 0b00100, 0b00100, 0b00000, 0b00000, 0b00000, 0b00000},  // '
    {0b00010, 0b00100, 0b01000, 0b01000, 0b01000, 0b00100, 0b00010},  // (
    {0b01000, 0b00100, 0b00010, 0b00010, 0b00010, 0b00100, 0b01000},  // )
    {0b00000, 0b00100, 0b10101, 0b01110, 0b10101, 0b00100, 0b00000},  // *
    {0b00000, 0b00100, 0b00100, 0b11111, 0b00100, 0b00100, 0b00000},  // +
    {0b00000, 0b00000, 0b00000, 0b00000, 0b01100, 0b00100, 0b01000},  // ,
    {0b00000, 0b00000, 0b00000, 0b11111, 0b00000, 0b00000, 0b00000},  // -
    {0b00000, 0b00000, 0b00000, 0b00000, 0b00000, 0b01100, 0b01100},  // .
    {0b00001, 0b00001, 0b00010, 0b00100, 0b01000, 0b10000, 0b10000},  // /
    {0b01110, 0b10001, 0b10011, 0b10101, 0b11001, 0b10001, 0b01110},  // 0
    {0b00100, 0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110},  // 1
    {0b01110, 0b10001, 0b00001, 0b00010, 0b00100, 0b01000, 0b11111},  // 2
    {0b11111, 0b00010, 0b00100, 0b00010, 0b00001, 0b10001, 0b01110},  // 3
    {0b00010, 0b00110, 0b01010, 0b10010, 0b11111, 0b00010, 0b00010},  // 4
    {0b11111, 0b10000, 0b11110, 0b00001, 0b00001, 0b10001, 0b01110},  // 5
    {0b00110, 0b01000, 0b10000, 0b11110, 0b10001, 0b10001, 0b01110},  // 6
    {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b01000, 0b01000},  // 7
    {0b01110, 0b10001, 0b10001, 0b01110, 0b10001, 0b10001, 0b01110},  // 8
    {0b01110, 0b10001, 0b10001, 0b01111, 0b00001, 0b00010, 0b01100},  // 9
    {0b00000, 0b01100, 0b01100, 0b00000, 0b01100, 0b01100, 0b00000},  // :
    {0b00000, 0b01100, 0b01100, 0b00000, 0b01100, 0b00100, 0b01000},  // ;
    {0b00010, 0b00100, 0b01000, 0b10000, 0b01000, 0b00100, 0b00010},  // <
    {0b00000, 0b00000, 0b11111, 0b00000, 0b11111, 0b00000, 0b00000},  // =
    {0b01000, 0b00100, 0b00010, 0b00001, 0b00010, 0b00100, 0b01000},  // >
    {0b01110, 0b10001, 0b00001, 0b00010, 0b00100, 0b00000, 0b00100},  // ?
    {0b01110, 0b10001, 0b10111, 0b10101, 0b10111, 0b10000, 0b01111},  // @
    {0b01110, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001},  // A
    {0b11110, 0b10001, 0b10001, 0b11110, 0b10001, 0b10001, 0b11110},  // B
    {0b01110, 0b10001, 0b10000, 0b10000, 0b10000, 0b10001, 0b01110},  // C
    {0b11100, 0b10010, 0b10001, 0b10001, 0b10001, 0b10010, 0b11100},  // D
    {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b11111},  // E
    {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b10000},  // F
    {0b01110, 0b10001, 0b10000, 0b10111, 0b10001, 0b10001, 0b01111},  // G
    {0b10001, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001},  // H
    {0b01110, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110},  // I
    {0b00111, 0b00010, 0b00010, 0b00010, 0b00010, 0b10010, 0b01100},  // J
    {0b10001, 0b10010, 0b10100, 0b11000, 0b10100, 0b10010, 0b10001},  // K
    {0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b11111},  // L
    {0b10001, 0b11011, 0b10101, 0b10101, 0b10001, 0b10001, 0b10001},  // M
    {0b10001, 0b10001, 0b11001, 0b10101, 0b10011, 0b10001, 0b10001},  // N
    {0b01110, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01110},  // O
    {0b11110, 0b10001, 0b10001, 0b11110, 0b10000, 0b10000, 0b10000},  // P
    {0b01110, 0b10001, 0b10001, 0b10001, 0b10101, 0b10010, 0b01101},  // Q
    {0b11110, 0b10001, 0b10001, 0b11110, 0b10100, 0b10010, 0b10001},  // R
    {0b01111, 0b10000, 0b10000, 0b01110, 0b00001, 0b00001, 0b11110},  // S
    {0b11111, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100},  // T
    {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01110},  // U
    {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01010, 0b00100},  // V
    {0b10001, 0b10001, 0b10001, 0b10101, 0b10101, 0b10101, 0b01010},  // W
    {0b10001, 0b10001, 0b01010, 0b00100, 0b01010, 0b10001, 0b10001},  // X
    {0b10001, 0b10001, 0b01010, 0b00100, 0b00100, 0b00100, 0b00100},  // Y
    {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b10000, 0b11111},  // Z
    {0b01110, 0b01000, 0b01000, 0b01000, 0b01000, 0b01000, 0b01110},  // [
    {0b10000, 0b10000, 0b01000, 0b00100, 0b00010, 0b00001, 0b00001},  // backslash
    {0b01110, 0b00010, 0b00010, 0b00010, 0b00010, 0b00010, 0b01110},  // ]
    {0b00100, 0b01010, 0b10001, 0b00000, 0b00000, 0b00000, 0b00000},  // ^
    {0b00000, 0b00000, 0b00000, 0b00000, 0b00000, 0b00000, 0b11111},  // _
    {0b01000, 0b00100, 0b00010, 0b00000, 0b00000, 0b00000, 0b00000},  // `
    {0b00000, 0b00000, 0b01110, 0b00001, 0b01111, 0b10001, 0b01111},  // a
    {0b10000, 0b10000, 0b10110, 0b11001, 0b10001, 0b10001, 0b11110},  // b
    {0b00000, 0b00000, 0b01110, 0b10000, 0b10000, 0b10001, 0b01110},  // c
    {0b00001, 0b00001, 0b01101, 0b10011, 0b10001, 0b10001, 0b01111},  // d
    {0b00000, 0b00000, 0b01110, 0b10001, 0b11111, 0b10000, 0b01110},  // e
    {0b00110, 0b01001, 0b01000, 0b11100, 0b01000, 0b01000, 0b01000},  // f
    {0b00000, 0b01111, 0b10001, 0b10001, 0b01111, 0b00001, 0b01110},  // g
    {0b10000, 0b10000, 0b10110, 0b11001, 0b10001, 0b10001, 0b10001},  // h
    {0b00100, 0b00000, 0b01100, 0b00100, 0b00100, 0b00100, 0b01110},  // i
    {0b00010, 0b00000, 0b00110, 0b00010, 0b00010, 0b10010, 0b01100},  // j
    {0b10000, 0b10000, 0b10010, 0b10100, 0b11000, 0b10100, 0b10010},  // k
    {0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110},  // l
    {0b00000, 0b00000, 0b11010, 0b10101, 0b10101, 0b10101, 0b10101},  // m
    {0b00000, 0b00000, 0b10110, 0b11001, 0b10001, 0b10001, 0b10001},  // n
    {0b00000, 0b00000, 0b01110, 0b10001, 0b10001, 0b10001, 0b01110},  // o
    {0b00000, 0b11110, 0b10001, 0b10001, 0b11110, 0b10000, 0b10000},  // p
    {0b00000, 0b01111, 0b10001, 0b10001, 0b01111, 0b00001, 0b00001},  // q
    {0b00000, 0b00000, 0b10110, 0b11001, 0b10000, 0b10000, 0b10000},  // r
    {0b00000, 0b00000, 0b01111, 0b10000, 0b01110, 0b00001, 0b11110},  // s
    {0b01000, 0b01000, 0b11100, 0b01000, 0b01000, 0b01001, 0b00110},  // t
    {0b00000, 0b00000, 0b10001, 0b10001, 0b10001, 0b10011, 0b01101},  // u
    {0b00000, 0b00000, 0b10001, 0b10001, 0b10001, 0b01010, 0b00100},  // v
    {0b00000, 0b00000, 0b10001, 0b10001, 0b10101, 0b10101, 0b01010},  // w
    {0b00000, 0b00000, 0b10001, 0b01010, 0b00100, 0b01010, 0b10001},  // x
    {0b00000, 0b10001, 0b10001, 0b10001, 0b01111, 0b00001, 0b01110},  // y
    {0b00000, 0b00000, 0b11111, 0b00010, 0b00100, 0b01000, 0b11111},  // z
    {0b00010, 0b00100, 0b00100, 0b01000, 0b00100, 0b00100, 0b00010},  // {
    {0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100},  // |
    {0b01000, 0b00100, 0b00100, 0b00010, 0b00100, 0b00100, 0b01000},  // }
    {0b00000, 0b00000, 0b01000, 0b10101, 0b00010, 0b00000, 0b00000},  // ~
};

// Stands in for every character the table lacks, so such text stays visible
// without guessing at an encoding.
constexpr uint8_t kMissingGlyph[kGlyphHeight] = {0b00000, 0b01110, 0b01010, 0b01010,
                                                 0b01010, 0b01110, 0b00000};

const uint8_t* GlyphRows(char ch) {
    const auto code = static_cast<unsigned char>(ch);
    return code < 32 || code > 126 ? kMissingGlyph : kGlyphs[code - 32];
}

uint64_t SaturatingMul(uint64_t a, uint64_t b) {
    return a != 0 && b > kMax64 / a ? kMax64 : a * b;
}

struct Span {
    uint32_t begin = 0, end = 0;
};

// Clips [start, start + length) to [0, limit). The start may be negative and
// the length huge, so nothing here may wrap around.
Span Clip(int64_t start, uint64_t length, uint32_t limit) {
    if (start >= int64_t{limit}) return {};
    const uint64_t skipped = start < 0 ? uint64_t(-start) : 0;
    if (length <= skipped) return {};
    const uint32_t begin = start < 0 ? 0 : uint32_t(start);
    const uint64_t remaining = length - skipped;
    const uint32_t end = remaining >= uint64_t{limit} - begin ? limit : begin + uint32_t(remaining);
    return {begin, end};
}

void FillRect(Raster& image, int64_t x, int64_t y, uint64_t width, uint64_t height, uint32_t planes,
              uint16_t value) {
    const Span xs = Clip(x, width, image.width);
    const Span ys = Clip(y, height, image.height);
    for (uint32_t py = ys.begin; py < ys.end; ++py)
        for (uint32_t px = xs.begin; px < xs.end; ++px)
            for (uint32_t c = 0; c < planes; ++c) image.At(px, py, c) = value;
}

}  // namespace

uint32_t TextWidth(const std::string& text, uint32_t scale) {
    const uint64_t width = SaturatingMul(SaturatingMul(text.size(), kCellWidth), scale);
    return uint32_t(std::min<uint64_t>(width, kMax32));
}

uint32_t TextHeight(uint32_t scale) {
    return uint32_t(std::min<uint64_t>(uint64_t{kCellHeight} * scale, kMax32));
}

void DrawLabel(Raster& image, uint32_t x, uint32_t y, const std::string& text, uint32_t scale,
               uint16_t value) {
    // A raster whose samples do not cover its size would make At() run off
    // the end, so it is left alone rather than trusted.
    const uint64_t needed = SaturatingMul(uint64_t{image.width} * image.height, image.channels);
    if (text.empty() || scale == 0 || needed == 0 || image.samples.size() < needed) return;
    const uint32_t planes = std::min<uint32_t>(image.channels, 3);
    const int64_t s = scale;

    // A saturated width still reaches past any raster's right edge.
    FillRect(image, x - s, y - s, uint64_t{TextWidth(text, scale)} + 2 * s,
             uint64_t{TextHeight(scale)} + 2 * s, planes, 0);

    int64_t cellX = x;
    for (char ch : text) {
        // Stopping at the edge also keeps cellX far from overflowing.
        if (cellX >= int64_t{image.width}) break;
        const uint8_t* rows = GlyphRows(ch);
        for (int r = 0; r < kGlyphHeight; ++r)
            for (int c = 0; c < kGlyphWidth; ++c)
                if (rows[r] >> (kGlyphWidth - 1 - c) & 1)
                    FillRect(image, cellX + c * s, y + r * s, scale, scale, planes, value);
        cellX += kCellWidth * s;
    }
}

}  // namespace orvex_tool
