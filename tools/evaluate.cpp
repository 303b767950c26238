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

std::vector<MethodQuality> Evaluate(const EvaluateOptions& options, std::ostream& log) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(options.folder, error))
        if (entry.is_regular_file() && IsPhotograph(entry.path())) files.push_back(entry.path());
    if (error) throw ToolError(kInputError, options.folder + ": " + error.message());
    std::sort(files.begin(), files.end());
    if (files.empty()) throw ToolError(kInputError, options.folder + ": no PNG or TIFF images");

    std::vector<MethodQuality> figures;
    for (uint32_t code = 1; orvex_method_name(code) != nullptr; ++code)
        figures.push_back({orvex_method_name(code)});
    std::vector<double> seconds(figures.size(), 0);
    size_t runs = 0;
    double pixels = 0;
    orvex_options convert;
    orvex_init_options(&convert);
    convert.threads = options.threads;

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
            orvex_image src{};
            src.data = wide ? static_cast<void*>(mosaic.data()) : narrow.data();
            src.width = uint32_t(w);
            src.height = uint32_t(h);
            src.format = wide ? ORVEX_MOSAIC16 : ORVEX_MOSAIC8;
            src.pattern = pattern;
            src.bits = photo.Wide() ? photo.bitDepth : (wide ? 16 : 8);
            std::vector<uint16_t> rgb(3 * w * h);
            std::vector<uint8_t> rgb8(wide ? 0 : 3 * w * h);
            orvex_image dst{};
            dst.data = wide ? static_cast<void*>(rgb.data()) : rgb8.data();
            dst.width = uint32_t(w);
            dst.height = uint32_t(h);
            dst.format = wide ? ORVEX_RGB48 : ORVEX_RGB24;
            for (size_t m = 0; m < figures.size(); ++m) {
                const auto start = std::chrono::steady_clock::now();
                const int status = orvex_demosaic(&src, &dst, uint32_t(m + 1), &convert);
                seconds[m] +=
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                if (status != ORVEX_OK)
                    throw ToolError(kInputError, file.string() + ": " + orvex_status_text(status));
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
            }
            ++runs;
            pixels += double(w) * double(h);
        }
    }
    if (runs == 0) throw ToolError(kInputError, options.folder + ": no colour images to evaluate");
    for (size_t m = 0; m < figures.size(); ++m) {
        MethodQuality& q = figures[m];
        q.psnr /= double(runs);
        for (double& c : q.channel) c /= double(runs);
        q.fullImage /= double(runs);
        q.megapixelsPerSecond = pixels / 1e6 / seconds[m];
    }
    log << runs << " conversions of " << files.size() << " files per method\n";
    return figures;
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
    for (const MethodQuality& q : figures)
        svg << "<circle cx=\"" << px(q.megapixelsPerSecond) << "\" cy=\"" << py(q.psnr)
            << "\" r=\"4\" fill=\"#2060c0\"/>\n<text x=\"" << px(q.megapixelsPerSecond) + 7
            << "\" y=\"" << py(q.psnr) + 4 << "\">" << q.name << "</text>\n";
    svg << "</svg>\n";
    return svg.str();
}

int RunEvaluate(const EvaluateOptions& options) {
    const std::vector<MethodQuality> figures = Evaluate(options, std::cerr);
    PrintQuality(figures, std::cout);
    if (!options.chart.empty()) {
        const std::string svg = QualityChart(figures);
        WriteBytes(options.chart, std::vector<uint8_t>(svg.begin(), svg.end()), true);
    }
    return kOk;
}

}  // namespace orvex_tool
