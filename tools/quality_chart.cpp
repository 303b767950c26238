// The quality chart: PSNR up, speed right on a logarithmic axis, one point
// per method and set. A method's speed is over all its sets, so its points
// sit on one vertical line, joined; each set has its own marker.
#include <algorithm>
#include <cmath>
#include <iomanip>
#include <sstream>

#include "evaluate.h"

namespace orvex_tool {
namespace {

const char* const kOurs = "#2060c0";
const char* const kPeers = "#c04020";

// A marker of the set's shape (circle, square, triangle, diamond) at x, y.
void Marker(std::ostringstream& svg, size_t set, double x, double y, const char* colour) {
    switch (set % 4) {
        case 0:
            svg << "<circle cx=\"" << x << "\" cy=\"" << y << "\" r=\"4\" fill=\"" << colour
                << "\"/>\n";
            break;
        case 1:
            svg << "<rect x=\"" << x - 4 << "\" y=\"" << y - 4
                << "\" width=\"8\" height=\"8\" fill=\"white\" stroke=\"" << colour
                << "\" stroke-width=\"1.5\"/>\n";
            break;
        case 2:
            svg << "<polygon points=\"" << x << "," << y - 5 << " " << x + 5 << "," << y + 4 << " "
                << x - 5 << "," << y + 4 << "\" fill=\"" << colour << "\"/>\n";
            break;
        default:
            svg << "<polygon points=\"" << x << "," << y - 5 << " " << x + 5 << "," << y << " " << x
                << "," << y + 5 << " " << x - 5 << "," << y << "\" fill=\"white\" stroke=\""
                << colour << "\" stroke-width=\"1.5\"/>\n";
    }
}

// Megapixels per second of the method over every set it was measured on.
double Speed(const std::vector<SetQuality>& sets, const std::string& name) {
    double megapixels = 0, seconds = 0;
    for (const SetQuality& set : sets)
        for (const MethodQuality& q : set.figures)
            if (q.name == name && q.megapixelsPerSecond > 0) {
                megapixels += q.megapixels;
                seconds += q.megapixels / q.megapixelsPerSecond;
            }
    return seconds > 0 ? megapixels / seconds : 1;
}

}  // namespace

std::string QualityChart(const std::vector<SetQuality>& sets) {
    const double width = 640, height = 400, left = 60, right = 20, top = 20, bottom = 50;
    double lowSpeed = 1e9, highSpeed = 0, lowPsnr = 1e9, highPsnr = 0;
    for (const SetQuality& set : sets)
        for (const MethodQuality& q : set.figures) {
            lowSpeed = std::min(lowSpeed, Speed(sets, q.name));
            highSpeed = std::max(highSpeed, Speed(sets, q.name));
            lowPsnr = std::min(lowPsnr, q.psnr);
            highPsnr = std::max(highPsnr, q.psnr);
        }
    lowSpeed /= 1.5, highSpeed *= 1.5;
    lowPsnr = std::floor(lowPsnr - 0.5), highPsnr = std::ceil(highPsnr + 0.5);
    auto px = [&](double speed) {
        return left +
               (width - left - right) * std::log(speed / lowSpeed) / std::log(highSpeed / lowSpeed);
    };
    auto py = [&](double psnr) {
        return top + (height - top - bottom) * (highPsnr - psnr) / (highPsnr - lowPsnr);
    };
    std::ostringstream svg;
    svg << std::fixed << std::setprecision(1);
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
        << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
        << "<line x1=\"" << left << "\" y1=\"" << height - bottom << "\" x2=\"" << width - right
        << "\" y2=\"" << height - bottom << "\" stroke=\"black\"/>\n"
        << "<line x1=\"" << left << "\" y1=\"" << top << "\" x2=\"" << left << "\" y2=\""
        << height - bottom << "\" stroke=\"black\"/>\n"
        << "<text x=\"" << (width + left) / 2 << "\" y=\"" << height - 12
        << "\" text-anchor=\"middle\">megapixels per second (one thread, log scale)</text>\n"
        << "<text x=\"14\" y=\"" << (height - bottom + top) / 2 << "\" transform=\"rotate(-90 14 "
        << (height - bottom + top) / 2 << ")\" text-anchor=\"middle\">PSNR (dB)</text>\n";
    for (double p = lowPsnr; p <= highPsnr; p += 1)
        svg << "<text x=\"" << left - 6 << "\" y=\"" << py(p) + 4 << "\" text-anchor=\"end\">"
            << std::setprecision(0) << p << std::setprecision(1) << "</text>\n";
    // Labels beside their method's first point: right, left, above or below,
    // whichever first clears the labels placed and every point and stays on
    // the picture (about 7 pixels per character, 13 per line); else moved
    // down until clear.
    struct Box {
        double x0, x1, y;  // y: the text's baseline
    };
    std::vector<Box> taken;
    for (const SetQuality& set : sets)
        for (const MethodQuality& q : set.figures) {
            const double x = px(Speed(sets, q.name)), y = py(q.psnr);
            taken.push_back({x - 5, x + 5, y + 5});
        }
    auto clashes = [&](const Box& b) {
        return std::any_of(taken.begin(), taken.end(), [&](const Box& t) {
            return b.x0 < t.x1 && t.x0 < b.x1 && b.y - 10 < t.y && t.y - 10 < b.y;
        });
    };
    bool anyPeer = false;
    for (size_t s = 0; s < sets.size(); ++s)
        for (const MethodQuality& q : sets[s].figures) {
            const double x = px(Speed(sets, q.name)), y = py(q.psnr);
            const char* colour = q.peer ? kPeers : kOurs;
            anyPeer = anyPeer || q.peer;
            if (s > 0)
                for (const MethodQuality& first : sets[0].figures)
                    if (first.name == q.name)
                        svg << "<line x1=\"" << x << "\" y1=\"" << py(first.psnr) << "\" x2=\"" << x
                            << "\" y2=\"" << y << "\" stroke=\"" << colour
                            << "\" stroke-opacity=\"0.35\"/>\n";
            Marker(svg, s, x, y, colour);
            const bool labelled =
                s == 0 || std::none_of(sets[0].figures.begin(), sets[0].figures.end(),
                                       [&](const MethodQuality& f) { return f.name == q.name; });
            if (!labelled) continue;
            const double w = 7.0 * double(q.name.size());
            const Box candidates[] = {{x + 7, x + 7 + w, y + 4},
                                      {x - 7 - w, x - 7, y + 4},
                                      {x - w / 2, x + w / 2, y - 8},
                                      {x - w / 2, x + w / 2, y + 17}};
            Box at = candidates[0];
            const auto free = std::find_if(
                std::begin(candidates), std::end(candidates),
                [&](const Box& c) { return !clashes(c) && c.x0 >= left && c.x1 <= width; });
            if (free != std::end(candidates))
                at = *free;
            else
                while (clashes(at)) at.y += 13;
            taken.push_back(at);
            svg << "<text x=\"" << at.x0 << "\" y=\"" << at.y << "\" fill=\""
                << (q.peer ? kPeers : "black") << "\">" << q.name << "</text>\n";
        }
    // Speeds along the axis: 1, 3, 10, 30, ... within the range.
    for (double decade = 1; decade <= highSpeed; decade *= 10)
        for (const double v : {decade, 3 * decade})
            if (v >= lowSpeed && v <= highSpeed)
                svg << "<text x=\"" << px(v) << "\" y=\"" << height - bottom + 16
                    << "\" text-anchor=\"middle\">" << std::setprecision(0) << v
                    << std::setprecision(1) << "</text>\n";
    if (anyPeer)
        svg << "<text x=\"" << width - right << "\" y=\"" << top + 4
            << "\" text-anchor=\"end\"><tspan fill=\"" << kOurs
            << "\">orvex</tspan> / <tspan fill=\"" << kPeers
            << "\">other libraries</tspan></text>\n";
    // The sets' markers, when there is more than one.
    for (size_t s = 0; sets.size() > 1 && s < sets.size(); ++s) {
        const double y = top + 22 + 16 * double(s);
        Marker(svg, s, width - right - 8, y - 4, "#606060");
        svg << "<text x=\"" << width - right - 18 << "\" y=\"" << y << "\" text-anchor=\"end\">"
            << sets[s].name << "</text>\n";
    }
    svg << "</svg>\n";
    return svg.str();
}

}  // namespace orvex_tool
