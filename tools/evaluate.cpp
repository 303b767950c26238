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
        q.runs = runs[m];
        q.megapixels = pixels[m] / 1e6;
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

void PrintQuality(const std::vector<SetQuality>& sets, std::ostream& out) {
    if (sets.size() == 1) return PrintQuality(sets[0].figures, out);
    std::vector<std::string> order;
    for (const MethodQuality& q : sets[0].figures) order.push_back(q.name);
    std::stable_sort(order.begin(), order.end(), [&](const std::string& a, const std::string& b) {
        auto psnr = [&](const std::string& n) {
            for (const MethodQuality& q : sets[0].figures)
                if (q.name == n) return q.psnr;
            return 0.0;
        };
        return psnr(a) > psnr(b);
    });
    out << "| method |";
    for (const SetQuality& set : sets) out << " " << set.name << " (" << set.images << ") |";
    out << "\n|---|";
    for (size_t k = 0; k < sets.size(); ++k) out << "---|";
    out << "\n" << std::fixed << std::setprecision(2);
    for (const std::string& name : order) {
        out << "| " << name << " |";
        for (const SetQuality& set : sets) {
            const auto q = std::find_if(set.figures.begin(), set.figures.end(),
                                        [&](const MethodQuality& f) { return f.name == name; });
            if (q == set.figures.end())
                out << " - |";
            else
                out << " " << q->psnr << " |";
        }
        out << "\n";
    }
    for (const SetQuality& set : sets) {
        out << "\n" << set.name << " (" << set.images << " images):\n\n";
        PrintQuality(set.figures, out);
    }
}

int RunEvaluate(const EvaluateOptions& options, const std::vector<Converter>& methods) {
    std::vector<SetQuality> sets;
    for (const std::string& folder : options.folders) {
        EvaluateOptions one = options;
        one.folder = folder;
        SetQuality set;
        set.name = std::filesystem::path(folder).lexically_normal().filename().string();
        if (set.name.empty())
            set.name =
                std::filesystem::path(folder).lexically_normal().parent_path().filename().string();
        set.figures = Evaluate(one, methods, std::cerr);
        set.images = set.figures.empty() ? 0 : set.figures[0].runs / options.patterns.size();
        sets.push_back(std::move(set));
    }
    PrintQuality(sets, std::cout);
    if (!options.chart.empty()) {
        const std::string svg = QualityChart(sets);
        WriteBytes(options.chart, std::vector<uint8_t>(svg.begin(), svg.end()), true);
    }
    return kOk;
}

}  // namespace orvex_tool
