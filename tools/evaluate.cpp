// Each photograph is sampled into a mosaic of the pattern (one sample per
// pixel, the pattern's colour), converted by every method through the
// second interface, and compared with the photograph: PSNR = 10 log10(peak^2
// / mean squared error), over the image less an 8-pixel frame (the edges,
// where methods differ most in what they assume, would otherwise weigh in)
// and over the whole image. Figures are means over images of per-image PSNR.
#include "evaluate.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <sstream>

#include "image_io.h"
#include "orvex2.h"

namespace orvex_tool {
namespace {

constexpr size_t kFrame = 8;

bool IsPhotograph(const std::filesystem::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".png" || ext == ".tif" || ext == ".tiff";
}

// Squared errors of one image, per channel, inside the frame and overall.
struct Errors {
    double inside[3] = {}, all[3] = {};
    size_t insideCount = 0, allCount = 0;
};

double Psnr(double squaredError, size_t count, double peak) {
    const double mse = squaredError / double(count);
    return mse == 0 ? 99.0 : 10.0 * std::log10(peak * peak / mse);
}

}  // namespace

std::vector<Converter> LibraryMethods(uint32_t threads) {
    std::vector<Converter> methods;
    for (uint32_t code = 1; orvex_method_name(code) != nullptr; ++code)
        methods.push_back(
            {orvex_method_name(code), [code, threads](const MosaicFrame& f, void* rgb) {
                 orvex_options convert;
                 orvex_init_options(&convert);
                 convert.threads = threads;
                 orvex_image src{};
                 src.data = const_cast<void*>(f.data);
                 src.width = uint32_t(f.width);
                 src.height = uint32_t(f.height);
                 src.format = f.wide ? ORVEX_MOSAIC16 : ORVEX_MOSAIC8;
                 src.pattern = f.pattern;
                 src.bits = f.bits;
                 orvex_image dst{};
                 dst.data = rgb;
                 dst.width = src.width;
                 dst.height = src.height;
                 dst.format = f.wide ? ORVEX_RGB48 : ORVEX_RGB24;
                 const int status = orvex_demosaic(&src, &dst, code, &convert);
                 if (status != ORVEX_OK) throw ToolError(kInputError, orvex_status_text(status));
                 return true;
             }});
    return methods;
}

std::vector<MethodQuality> Evaluate(const EvaluateOptions& options,
                                    const std::vector<Converter>& methods, std::ostream& log) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(options.folder, error))
        if (entry.is_regular_file() && IsPhotograph(entry.path())) files.push_back(entry.path());
    if (error) throw ToolError(kInputError, options.folder + ": " + error.message());
    std::sort(files.begin(), files.end());
    if (files.empty()) throw ToolError(kInputError, options.folder + ": no PNG or TIFF images");

    std::vector<MethodQuality> figures;
    for (const Converter& m : methods) {
        figures.push_back({m.name});
        figures.back().peer = m.peer;
    }
    // Per method: seconds, pixels and runs it took part in.
    std::vector<double> seconds(methods.size(), 0), pixels(methods.size(), 0);
    std::vector<size_t> runs(methods.size(), 0);
    size_t frames = 0;

    for (const auto& file : files) {
        const Raster photo = ReadImage(file.string(), {}).raster;
        if (photo.channels < 3 || photo.width <= 2 * kFrame || photo.height <= 2 * kFrame) {
            log << file.filename().string()
                << ": skipped (not a colour image of 17 x 17 or more)\n";
            continue;
        }
        const size_t w = photo.width, h = photo.height;
        const bool wide = photo.Wide() || options.wide;
        const uint32_t scale = photo.Wide() || !options.wide ? 1 : 257;
        const double peak = double((1u << (photo.Wide() ? photo.bitDepth : 8)) - 1) * scale;
        for (const uint32_t pattern : options.patterns) {
            std::vector<uint16_t> mosaic(w * h);
            for (size_t y = 0; y < h; ++y)
                for (size_t x = 0; x < w; ++x) {
                    const bool redRow = (y & 1) == (pattern >> 1),
                               redColumn = (x & 1) == (pattern & 1);
                    const size_t channel = redRow == redColumn ? (redRow ? 0 : 2) : 1;
                    mosaic[y * w + x] = uint16_t(photo.At(x, y, channel) * scale);
                }
            std::vector<uint8_t> narrow;
            if (!wide) narrow.assign(mosaic.begin(), mosaic.end());
            const MosaicFrame frame{wide ? static_cast<const void*>(mosaic.data()) : narrow.data(),
                                    w,
                                    h,
                                    wide,
                                    photo.Wide() ? photo.bitDepth : (wide ? 16u : 8u),
                                    pattern};
            std::vector<uint16_t> rgb(wide ? 3 * w * h : 0);
            std::vector<uint8_t> rgb8(wide ? 0 : 3 * w * h);
            void* out = wide ? static_cast<void*>(rgb.data()) : rgb8.data();
            for (size_t m = 0; m < methods.size(); ++m) {
                const auto start = std::chrono::steady_clock::now();
                bool converted;
                try {
                    converted = methods[m].convert(frame, out);
                } catch (const ToolError& e) {
                    throw ToolError(kInputError, file.string() + ": " + e.what());
                }
                if (!converted) continue;
                seconds[m] +=
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                Errors e;
                for (size_t y = 0; y < h; ++y)
                    for (size_t x = 0; x < w; ++x) {
                        const bool inside =
                            x >= kFrame && y >= kFrame && x + kFrame < w && y + kFrame < h;
                        for (size_t c = 0; c < 3; ++c) {
                            const size_t i = 3 * (y * w + x) + c;
                            const double got = wide ? rgb[i] : rgb8[i];
                            const double diff = got - double(photo.At(x, y, c) * scale);
                            e.all[c] += diff * diff;
                            if (inside) e.inside[c] += diff * diff;
                        }
                        e.allCount += 1;
                        e.insideCount += inside;
                    }
                MethodQuality& q = figures[m];
                q.psnr += Psnr(e.inside[0] + e.inside[1] + e.inside[2], 3 * e.insideCount, peak);
                for (size_t c = 0; c < 3; ++c)
                    q.channel[c] += Psnr(e.inside[c], e.insideCount, peak);
                q.fullImage += Psnr(e.all[0] + e.all[1] + e.all[2], 3 * e.allCount, peak);
                ++runs[m];
                pixels[m] += double(w) * double(h);
            }
            ++frames;
        }
    }
    if (frames == 0)
        throw ToolError(kInputError, options.folder + ": no colour images to evaluate");
    std::vector<MethodQuality> measured;
    for (size_t m = 0; m < figures.size(); ++m) {
        MethodQuality& q = figures[m];
        if (runs[m] == 0) {
            log << q.name << ": took none of the frames\n";
            continue;
        }
        q.psnr /= double(runs[m]);
        for (double& c : q.channel) c /= double(runs[m]);
        q.fullImage /= double(runs[m]);
        q.megapixelsPerSecond = pixels[m] / 1e6 / seconds[m];
        measured.push_back(q);
    }
    log << frames << " conversions of " << files.size() << " files per method\n";
    return measured;
}

void PrintQuality(const std::vector<MethodQuality>& figures, std::ostream& out) {
    std::vector<MethodQuality> sorted = figures;
    std::stable_sort(
        sorted.begin(), sorted.end(),
        [](const MethodQuality& a, const MethodQuality& b) { return a.psnr > b.psnr; });
    out << "| method | PSNR dB (8-pixel frame excluded) | R | G | B | full image | Mpix/s |\n"
        << "|---|---|---|---|---|---|---|\n"
        << std::fixed;
    for (const MethodQuality& q : sorted)
        out << "| " << q.name << " | " << std::setprecision(2) << q.psnr << " | " << q.channel[0]
            << " | " << q.channel[1] << " | " << q.channel[2] << " | " << q.fullImage << " | "
            << std::setprecision(0) << q.megapixelsPerSecond << " |\n";
}

std::string QualityChart(const std::vector<MethodQuality>& figures) {
    // PSNR up, speed right on a logarithmic axis.
    const double width = 640, height = 400, left = 60, right = 20, top = 20, bottom = 50;
    double lowSpeed = 1e9, highSpeed = 0, lowPsnr = 1e9, highPsnr = 0;
    for (const MethodQuality& q : figures) {
        lowSpeed = std::min(lowSpeed, q.megapixelsPerSecond);
        highSpeed = std::max(highSpeed, q.megapixelsPerSecond);
        lowPsnr = std::min(lowPsnr, q.psnr);
        highPsnr = std::max(highPsnr, q.psnr);
    }
    lowSpeed /= 1.5, highSpeed *= 1.5, lowPsnr = std::floor(lowPsnr - 0.5),
                                       highPsnr = std::ceil(highPsnr + 0.5);
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
    // Labels beside their points: right, left, above or below, whichever
    // first clears the labels placed and every point (about 7 pixels per
    // character, 13 per line); else moved down until clear.
    struct Box {
        double x0, x1, y;  // y: the text's baseline
    };
    std::vector<Box> taken;
    for (const MethodQuality& q : figures) {
        const double x = px(q.megapixelsPerSecond), y = py(q.psnr);
        taken.push_back({x - 5, x + 5, y + 5});
    }
    auto clashes = [&](const Box& b) {
        return std::any_of(taken.begin(), taken.end(), [&](const Box& t) {
            return b.x0 < t.x1 && t.x0 < b.x1 && b.y - 10 < t.y && t.y - 10 < b.y;
        });
    };
    bool anyPeer = false;
    for (const MethodQuality& q : figures) {
        const double x = px(q.megapixelsPerSecond), y = py(q.psnr);
        const double w = 7.0 * double(q.name.size());
        const Box candidates[] = {{x + 7, x + 7 + w, y + 4},
                                  {x - 7 - w, x - 7, y + 4},
                                  {x - w / 2, x + w / 2, y - 8},
                                  {x - w / 2, x + w / 2, y + 17}};
        Box at = candidates[0];
        const auto free = std::find_if(std::begin(candidates), std::end(candidates),
                                       [&](const Box& c) { return !clashes(c); });
        if (free != std::end(candidates))
            at = *free;
        else
            while (clashes(at)) at.y += 13;
        taken.push_back(at);
        anyPeer = anyPeer || q.peer;
        svg << "<circle cx=\"" << x << "\" cy=\"" << y << "\" r=\"4\" fill=\""
            << (q.peer ? "#c04020" : "#2060c0") << "\"/>\n<text x=\"" << at.x0 << "\" y=\"" << at.y
            << "\" fill=\"" << (q.peer ? "#c04020" : "black") << "\">" << q.name << "</text>\n";
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
            << "\" text-anchor=\"end\"><tspan fill=\"#2060c0\">orvex</tspan> / <tspan "
               "fill=\"#c04020\">other libraries</tspan></text>\n";
    svg << "</svg>\n";
    return svg.str();
}

int RunEvaluate(const EvaluateOptions& options, const std::vector<Converter>& methods) {
    const std::vector<MethodQuality> figures = Evaluate(options, methods, std::cerr);
    PrintQuality(figures, std::cout);
    if (!options.chart.empty()) {
        const std::string svg = QualityChart(figures);
        WriteBytes(options.chart, std::vector<uint8_t>(svg.begin(), svg.end()), true);
    }
    return kOk;
}

}  // namespace orvex_tool
