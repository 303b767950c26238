#include "camera_develop.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <string>

#include "camera_tone.h"

namespace orvex_camera {
namespace {

[[noreturn]] void Fail(CameraError::Kind kind, const CameraMosaic& m, const std::string& what) {
    throw CameraError(kind, (m.source.empty() ? "" : m.source + ": ") + what);
}

// The colour (0 red, 1 green, 2 blue) of each site of the top-left cell.
std::array<int, 4> SiteColours(uint32_t pattern) {
    std::array<int, 4> colours{};
    for (uint32_t site = 0; site < 4; ++site) {
        const bool redRow = (site >> 1) == (pattern >> 1);
        const bool redColumn = (site & 1) == (pattern & 1);
        colours[site] = redRow == redColumn ? (redRow ? 0 : 2) : 1;
    }
    return colours;
}

// Output (row, col) reads the developed picture after swapping axes, then
// mirroring rows, then columns, as the orientation's bits say; each sample
// through `tone` on the way.
void Orient(const std::vector<uint16_t>& in, uint32_t w, uint32_t h, int flip,
            const std::vector<uint16_t>& tone, Picture& out) {
    const bool swap = flip & 4, flipRows = flip & 2, flipCols = flip & 1;
    out.width = swap ? h : w;
    out.height = swap ? w : h;
    out.rgb.resize(in.size());
    for (size_t row = 0; row < out.height; ++row)
        for (size_t col = 0; col < out.width; ++col) {
            size_t r = swap ? col : row, c = swap ? row : col;
            if (flipRows) r = h - 1 - r;
            if (flipCols) c = w - 1 - c;
            const uint16_t* from = &in[(r * w + c) * 3];
            uint16_t* to = &out.rgb[(row * out.width + col) * 3];
            for (size_t k = 0; k < 3; ++k) to[k] = tone[from[k]];
        }
}

// Every other pixel of every other row: with the block method, each 2 x 2
// cell's colours once.
std::vector<uint16_t> Halve(const std::vector<uint16_t>& in, uint32_t w, uint32_t h) {
    std::vector<uint16_t> out(size_t(w / 2) * (h / 2) * 3);
    for (size_t y = 0; y < h / 2; ++y)
        for (size_t x = 0; x < w / 2; ++x) {
            const uint16_t* from = &in[(2 * y * w + 2 * x) * 3];
            std::copy(from, from + 3, &out[(y * (w / 2) + x) * 3]);
        }
    return out;
}

}  // namespace

std::array<float, 3> ChosenBalance(const CameraMosaic& m, const DevelopSettings& s) {
    switch (s.balance) {
        case Balance::kAsShot:
            return m.asShot;
        case Balance::kDaylight:
            return m.daylight;
        case Balance::kNone:
            return {1, 1, 1};
        case Balance::kGiven:
            break;
    }
    if (!(s.given[1] > 0) || !(s.given[0] >= 0) || !(s.given[2] >= 0))
        Fail(CameraError::kCorrupt, m, "white balance multipliers must be positive");
    return {s.given[0] / s.given[1], 1.0f, s.given[2] / s.given[1]};
}

Picture Develop(const CameraMosaic& m, const DevelopSettings& s) {
    if (!(s.exposure >= -16 && s.exposure <= 16))
        Fail(CameraError::kCorrupt, m,
             "an exposure of " + std::to_string(s.exposure) + " EV is outside -16 .. 16");
    const std::array<float, 3> wb = ChosenBalance(m, s);
    const std::array<uint32_t, 4> black = s.black ? *s.black : m.black;
    const std::array<int, 4> colours = SiteColours(m.pattern);
    orvex_options options;
    orvex_init_options(&options);
    options.threads = s.threads;
    for (size_t site = 0; site < 4; ++site) {
        options.black[site] = black[site];
        options.gain[site] = wb[size_t(colours[site])];
    }
    options.white = s.white ? *s.white : m.white ? m.white : (1u << m.bits) - 1;
    if (s.matrix) std::copy(m.matrix.begin(), m.matrix.end(), options.matrix);
    options.transfer = ORVEX_TRANSFER_LINEAR;

    const size_t n = size_t(m.width) * m.height;
    if (m.samples.size() != n)
        Fail(CameraError::kCorrupt, m,
             "the mosaic holds " + std::to_string(m.samples.size()) + " samples, not " +
                 std::to_string(m.width) + " x " + std::to_string(m.height));
    std::vector<uint16_t> rgb;
    try {
        rgb.resize(n * 3);
    } catch (const std::bad_alloc&) {
        Fail(CameraError::kTooLarge, m,
             "input too large for this machine: " + std::to_string(m.width) + " x " +
                 std::to_string(m.height));
    }
    orvex_image src{};
    src.data = const_cast<uint16_t*>(m.samples.data());
    src.width = m.width;
    src.height = m.height;
    src.format = ORVEX_MOSAIC16;
    src.pattern = m.pattern;
    // Declared 16 bits wide, the samples are scaled from black .. white to
    // the full 16-bit range: the finest steps for the curve that follows.
    src.bits = 16;
    orvex_image dst{};
    dst.data = rgb.data();
    dst.width = m.width;
    dst.height = m.height;
    dst.format = ORVEX_RGB48;
    const uint32_t method = s.half ? uint32_t(ORVEX_BLOCK) : s.method;
    if (const int status = orvex_demosaic(&src, &dst, method, &options); status != ORVEX_OK) {
        // The library's words, and the levels that explain them.
        std::string why;
        const uint32_t highest = *std::max_element(options.black, options.black + 4);
        if (highest >= options.white)
            why = ": black level " + std::to_string(highest) +
                  (highest > options.white ? " is above" : " equals") + " the white level " +
                  std::to_string(options.white);
        Fail(CameraError::kCorrupt, m,
             std::string("developing: ") + orvex_status_text(status) + why);
    }
    uint32_t w = m.width, h = m.height;
    if (s.half) {
        rgb = Halve(rgb, w, h);
        w /= 2;
        h /= 2;
    }
    const double gain = std::exp2(s.exposure) *
                        (s.autoBright ? AutoBrightness(rgb) : std::exp2(m.baselineExposure));
    const uint32_t bits = s.bits == 16 ? 16 : 8;
    const std::vector<uint16_t> tone = ToneTable(gain,
                                                 s.linear                  ? Transfer::kLinear
                                                 : s.curve == Curve::kSrgb ? Transfer::kSrgb
                                                                           : Transfer::kBt709,
                                                 bits);

    Picture out;
    out.bits = bits;
    if (s.rotate && m.flip != 0) {
        Orient(rgb, w, h, m.flip, tone, out);
    } else {
        for (uint16_t& v : rgb) v = tone[v];
        out.width = w;
        out.height = h;
        out.rgb = std::move(rgb);
    }
    return out;
}

}  // namespace orvex_camera
