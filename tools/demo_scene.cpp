#include "demo_scene.h"

#include <algorithm>
#include <cmath>

#include "sheet_text.h"

namespace orvex_tool {
namespace {

struct Rgb {
    double r, g, b;
};

constexpr double kPi = 3.14159265358979323846;

Rgb ColourBars(double u) {
    static const Rgb kBars[8] = {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0},
                                 {1, 0, 1}, {1, 0, 0}, {0, 0, 1}, {0, 0, 0}};
    const Rgb& c = kBars[std::min(7, int(u * 8))];
    return {0.1 + 0.8 * c.r, 0.1 + 0.8 * c.g, 0.1 + 0.8 * c.b};
}

// Circular chirp whose local frequency reaches about 0.3 cycles per pixel at
// the quadrant's edge.
Rgb ZonePlate(double x, double y, double size) {
    const double r2 = x * x + y * y;
    const double v = 0.5 + 0.4 * std::cos(kPi * 0.3 * r2 / size);
    return {v, v, v};
}

// Two coloured half-planes divided by an edge 5 degrees off vertical, and a
// second edge 5 degrees off horizontal.
Rgb SlantedEdges(double x, double y) {
    const double slope = std::tan(5.0 * kPi / 180.0);
    const bool right = x - y * slope > 0;
    const bool below = y - x * slope > 0;
    if (right && below) return {0.85, 0.2, 0.15};
    if (right) return {0.15, 0.3, 0.8};
    if (below) return {0.9, 0.85, 0.2};
    return {0.2, 0.6, 0.25};
}

Rgb Gradients(double u, double v) {
    return {u, 0.5 * (u + v), 1 - v};
}

}  // namespace

Raster SynthesiseScene(uint32_t width, uint32_t height, uint32_t bitDepth) {
    Raster s;
    s.width = width;
    s.height = height;
    s.channels = 3;
    s.bitDepth = bitDepth;
    s.samples.resize(size_t(width) * height * 3);
    const double peak = double((1u << bitDepth) - 1);
    const double hw = width / 2.0, hh = height / 2.0;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const bool left = x < hw, top = y < hh;
            const double qx = left ? x : x - hw, qy = top ? y : y - hh;
            Rgb c;
            if (top && left)
                c = ColourBars(qx / hw);
            else if (top)
                c = ZonePlate(qx - hw / 2, qy - hh / 2, std::min(hw, hh));
            else if (left)
                c = SlantedEdges(qx - hw / 2, qy - hh / 2);
            else
                c = Gradients(qx / hw, qy / hh);
            s.At(x, y, 0) = static_cast<uint16_t>(std::lround(std::clamp(c.r, 0.0, 1.0) * peak));
            s.At(x, y, 1) = static_cast<uint16_t>(std::lround(std::clamp(c.g, 0.0, 1.0) * peak));
            s.At(x, y, 2) = static_cast<uint16_t>(std::lround(std::clamp(c.b, 0.0, 1.0) * peak));
        }
    }
    return s;
}

Raster MosaicOf(const Raster& scene, uint32_t pattern) {
    // Channel (0 R, 1 G, 2 B) at each 2x2 cell position, by pattern.
    static const int kCell[4][4] = {{0, 1, 1, 2}, {1, 0, 2, 1}, {1, 2, 0, 1}, {2, 1, 1, 0}};
    Raster m;
    m.width = scene.width;
    m.height = scene.height;
    m.bitDepth = scene.bitDepth;
    m.samples.resize(size_t(m.width) * m.height);
    for (uint32_t y = 0; y < m.height; ++y)
        for (uint32_t x = 0; x < m.width; ++x)
            m.samples[size_t(y) * m.width + x] =
                scene.At(x, y, kCell[pattern][(y & 1) * 2 + (x & 1)]);
    return m;
}

double Psnr(const Raster& reference, const Raster& image, uint32_t border) {
    double sum = 0;
    size_t count = 0;
    for (uint32_t y = border; y + border < reference.height; ++y)
        for (uint32_t x = border; x + border < reference.width; ++x)
            for (size_t c = 0; c < 3; ++c) {
                const double d = double(reference.At(x, y, c)) - image.At(x, y, c);
                sum += d * d;
                ++count;
            }
    const double peak = double((1u << reference.bitDepth) - 1);
    if (count == 0 || sum == 0) return INFINITY;
    return 10 * std::log10(peak * peak / (sum / double(count)));
}

Raster ContactSheet(const std::vector<const Raster*>& panels, uint32_t columns,
                    const std::vector<std::string>& labels) {
    const uint32_t pw = panels[0]->width, ph = panels[0]->height;
    const uint32_t rows = uint32_t((panels.size() + columns - 1) / columns);
    Raster sheet;
    sheet.width = pw * columns;
    sheet.height = ph * rows;
    sheet.channels = 3;
    sheet.bitDepth = 8;
    sheet.samples.assign(size_t(sheet.width) * sheet.height * 3, 0);
    for (size_t i = 0; i < panels.size(); ++i) {
        const Raster& p = *panels[i];
        const uint32_t ox = uint32_t(i % columns) * pw, oy = uint32_t(i / columns) * ph;
        const uint32_t shift = p.bitDepth > 8 ? p.bitDepth - 8 : 0;
        for (uint32_t y = 0; y < ph; ++y)
            for (uint32_t x = 0; x < pw; ++x)
                for (size_t c = 0; c < 3; ++c)
                    sheet.At(ox + x, oy + y, c) =
                        uint16_t(p.At(x, y, p.channels == 1 ? 0 : c) >> shift);
    }
    // One size for every label, the largest that fits each panel with a
    // margin of a few pixels.
    constexpr uint32_t kMargin = 4;
    uint32_t scale = 2;
    for (const std::string& label : labels)
        while (scale > 0 &&
               (TextWidth(label, scale) + 2 * kMargin > pw || TextHeight(scale) + 2 * kMargin > ph))
            --scale;
    for (size_t i = 0; i < labels.size() && i < panels.size() && scale > 0; ++i)
        DrawLabel(sheet, uint32_t(i % columns) * pw + kMargin, uint32_t(i / columns) * ph + kMargin,
                  labels[i], scale, 255);
    return sheet;
}

}  // namespace orvex_tool
