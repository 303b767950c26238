#include "camera_develop.h"

#include <algorithm>
#include <new>
#include <string>

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
// mirroring rows, then columns, as the orientation's bits say.
void Orient(const std::vector<uint16_t>& in, uint32_t w, uint32_t h, int flip, Picture& out) {
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
            std::copy(from, from + 3, &out.rgb[(row * out.width + col) * 3]);
        }
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
    options.white = s.white ? *s.white : m.white;
    if (s.matrix) std::copy(m.matrix.begin(), m.matrix.end(), options.matrix);
    const bool wide = s.bits == 16;
    options.transfer = s.linear || wide ? ORVEX_TRANSFER_LINEAR : ORVEX_TRANSFER_SRGB;

    const size_t n = size_t(m.width) * m.height;
    if (m.samples.size() != n)
        Fail(CameraError::kCorrupt, m,
             "the mosaic holds " + std::to_string(m.samples.size()) + " samples, not " +
                 std::to_string(m.width) + " x " + std::to_string(m.height));
    std::vector<uint16_t> wideOut;
    std::vector<uint8_t> narrowOut;
    try {
        (wide ? wideOut.resize(n * 3) : narrowOut.resize(n * 3));
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
    src.bits = m.bits;
    orvex_image dst{};
    dst.data = wide ? static_cast<void*>(wideOut.data()) : narrowOut.data();
    dst.width = m.width;
    dst.height = m.height;
    dst.format = wide ? ORVEX_RGB48 : ORVEX_RGB24;
    if (const int status = orvex_demosaic(&src, &dst, s.method, &options); status != ORVEX_OK) {
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
    std::vector<uint16_t> rgb =
        wide ? std::move(wideOut) : std::vector<uint16_t>(narrowOut.begin(), narrowOut.end());
    Picture out;
    out.bits = wide ? m.bits : 8;
    if (s.rotate && m.flip != 0) {
        Orient(rgb, m.width, m.height, m.flip, out);
    } else {
        out.width = m.width;
        out.height = m.height;
        out.rgb = std::move(rgb);
    }
    return out;
}

}  // namespace orvex_camera
