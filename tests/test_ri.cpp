// The residual-interpolation demosaic: its passes against the plain
// per-pixel form at every instruction-set level, and where the answer is
// known (flat fields, a colour step, regions cut from the whole frame).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/conversion.h"
#include "engine/source_strips.h"
#include "methods/ri/ri_block_lines.h"
#include "methods/ri/ri_column_blocks_avx512.h"
#include "methods/ri/ri_demosaic.h"
#include "methods/ri/ri_line_blocks_avx512.h"
#include "methods/ri/ri_lines.h"
#include "orvex2.h"
#include "ri/ri_plain.h"
#include "ri/ri_plain_stages.h"
#include "test_support.h"

namespace {

// RGB of a mosaic of 16-bit samples (12 bits) or bytes, whole or a region.
std::vector<uint32_t> Convert(const std::vector<uint32_t>& samples, uint32_t w, uint32_t h,
                              uint32_t pattern, bool wide, uint32_t x = 0, uint32_t y = 0,
                              uint32_t rw = 0, uint32_t rh = 0) {
    rw = rw ? rw : w, rh = rh ? rh : h;
    std::vector<uint16_t> wideIn(samples.begin(), samples.end());
    std::vector<uint8_t> narrowIn(samples.begin(), samples.end());
    std::vector<uint16_t> wideOut(3 * size_t(rw) * rh);
    std::vector<uint8_t> narrowOut(3 * size_t(rw) * rh);
    orvex_image src{}, dst{};
    src.data = wide ? static_cast<void*>(wideIn.data()) : narrowIn.data();
    src.width = w, src.height = h;
    src.format = wide ? ORVEX_MOSAIC16 : ORVEX_MOSAIC8;
    src.pattern = pattern;
    src.bits = wide ? 12 : 0;
    dst.data = wide ? static_cast<void*>(wideOut.data()) : narrowOut.data();
    dst.width = rw, dst.height = rh;
    dst.format = wide ? ORVEX_RGB48 : ORVEX_RGB24;
    EXPECT_EQ(orvex_demosaic_region(&src, x, y, &dst, ORVEX_RI, nullptr), ORVEX_OK);
    return wide ? std::vector<uint32_t>(wideOut.begin(), wideOut.end())
                : std::vector<uint32_t>(narrowOut.begin(), narrowOut.end());
}

TEST(Ri, AFlatFieldStaysFlat) {
    for (const bool wide : {false, true})
        for (uint32_t pattern = 0; pattern < 4; ++pattern)
            for (const uint32_t v : {0u, 1u, wide ? 4095u : 255u, wide ? 2345u : 201u})
                EXPECT_EQ(Convert(std::vector<uint32_t>(37 * 22, v), 37, 22, pattern, wide),
                          std::vector<uint32_t>(3 * 37 * 22, v))
                    << "wide " << wide << " pattern " << pattern << " value " << v;
}

// A step between two colours (red-ish to blue-ish) across the rows and
// across the columns: away from the step every pixel is the side's colour
// exactly; at the step each channel stays between its two sides' values
// and its values on the step's two sides within 3/16 of the step of the
// side they lie on.
TEST(Ri, AColourStepStaysWithinItsSides) {
    const uint32_t w = 34, h = 26;
    const uint32_t sides[2][3] = {{180, 120, 40}, {30, 90, 210}};
    for (const bool across : {false, true})
        for (uint32_t pattern = 0; pattern < 4; ++pattern) {
            std::vector<uint32_t> m(w * h);
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x) {
                    const uint32_t side = (across ? y : x) <= 12 ? 0 : 1;
                    const uint32_t red = (pattern & 1) == (x & 1) && (pattern >> 1) == (y & 1);
                    const uint32_t blue = (pattern & 1) != (x & 1) && (pattern >> 1) != (y & 1);
                    m[y * w + x] = sides[side][red ? 0 : blue ? 2 : 1];
                }
            const std::vector<uint32_t> rgb = Convert(m, w, h, pattern, false);
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x) {
                    const uint32_t t = across ? y : x;
                    for (int c = 0; c < 3; ++c) {
                        const int v = int(rgb[3 * (y * w + x) + c]);
                        const int a = int(sides[0][c]), b = int(sides[1][c]);
                        if (t + 6 < 12 || t > 12 + 6) {
                            EXPECT_EQ(v, t <= 12 ? a : b) << x << "," << y << " c " << c;
                            continue;
                        }
                        const int bound = std::abs(a - b) * 3 / 16;
                        EXPECT_GE(v, std::min(a, b) - bound) << x << "," << y << " c " << c;
                        EXPECT_LE(v, std::max(a, b) + bound) << x << "," << y << " c " << c;
                    }
                }
        }
}

// A dark line one pixel wide across a grey field, along the rows and the
// columns, at either parity: the colour sites beside it see a flat field,
// so their fit carries no slope and falls back to the colour difference;
// the picture stays exactly grey (a slope of nothing would fill the line's
// unsampled colour with the field's).
TEST(Ri, AThinGreyLineStaysGrey) {
    const uint32_t w = 36, h = 30;
    for (const bool wide : {false, true})
        for (const bool across : {false, true})
            for (const uint32_t at : {14u, 15u})
                for (uint32_t pattern = 0; pattern < 4; ++pattern) {
                    const uint32_t field = wide ? 1600 : 100, line = wide ? 160 : 10;
                    std::vector<uint32_t> m(w * h), grey(3 * w * h);
                    for (uint32_t y = 0; y < h; ++y)
                        for (uint32_t x = 0; x < w; ++x) {
                            m[y * w + x] = (across ? y : x) == at ? line : field;
                            for (int c = 0; c < 3; ++c) grey[3 * (y * w + x) + c] = m[y * w + x];
                        }
                    EXPECT_EQ(Convert(m, w, h, pattern, wide), grey)
                        << "wide " << wide << " across " << across << " at " << at << " pattern "
                        << pattern;
                }
}

// Regions and their bands give the bytes of the same pixels of the whole
// frame, whatever the split.
TEST(Ri, RegionsEqualTheWholeFrame) {
    const uint32_t w = 1100, h = 70;
    std::vector<uint8_t> bytes(w * h);
    testsupport::FillRandom(bytes.data(), bytes.size(), 11);
    const std::vector<uint32_t> m(bytes.begin(), bytes.end());
    const std::vector<uint32_t> whole = Convert(m, w, h, 2, false);
    const struct {
        uint32_t x, y, w, h;
    } kRegions[] = {
        {0, 0, 1, 1}, {1, 3, 5, 4}, {517, 33, 583, 37}, {1099, 69, 1, 1}, {2, 0, 1090, 70}};
    for (const auto& r : kRegions) {
        const std::vector<uint32_t> part = Convert(m, w, h, 2, false, r.x, r.y, r.w, r.h);
        for (uint32_t y = 0; y < r.h; ++y)
            for (uint32_t k = 0; k < 3 * r.w; ++k)
                ASSERT_EQ(part[3 * y * r.w + k], whole[3 * ((r.y + y) * w + r.x) + k])
                    << r.x << "," << r.y << " row " << y;
    }
}

// RGB24 of an 8-bit mosaic, or RGB48 of the same samples times 257 as a
// 16-bit mosaic, with `threads` threads.
std::vector<uint32_t> ConvertWith(const std::vector<uint8_t>& samples, uint32_t w, uint32_t h,
                                  bool wide, uint32_t threads) {
    std::vector<uint16_t> wideIn(samples.begin(), samples.end());
    for (uint16_t& v : wideIn) v = uint16_t(v * 257);
    std::vector<uint16_t> wideOut(3 * size_t(w) * h);
    std::vector<uint8_t> narrowOut(3 * size_t(w) * h);
    orvex_image src{}, dst{};
    src.data = wide ? static_cast<void*>(wideIn.data()) : const_cast<uint8_t*>(samples.data());
    src.width = w, src.height = h;
    src.format = wide ? ORVEX_MOSAIC16 : ORVEX_MOSAIC8;
    src.pattern = ORVEX_GBRG;
    dst.data = wide ? static_cast<void*>(wideOut.data()) : narrowOut.data();
    dst.width = w, dst.height = h;
    dst.format = wide ? ORVEX_RGB48 : ORVEX_RGB24;
    orvex_options options;
    orvex_init_options(&options);
    options.threads = threads;
    EXPECT_EQ(orvex_demosaic(&src, &dst, ORVEX_RI, &options), ORVEX_OK);
    return wide ? std::vector<uint32_t>(wideOut.begin(), wideOut.end())
                : std::vector<uint32_t>(narrowOut.begin(), narrowOut.end());
}

// Frames of several strips and column tiles give the same bytes in any
// number of bands.
TEST(Ri, EveryThreadCountGivesTheSameBytes) {
    const uint32_t w = 433, h = 466;
    std::vector<uint8_t> m(size_t(w) * h);
    testsupport::FillRandom(m.data(), m.size(), 23);
    const std::vector<uint32_t> one = ConvertWith(m, w, h, false, 1);
    for (const uint32_t threads : {0u, 2u, 3u, 7u})
        EXPECT_EQ(ConvertWith(m, w, h, false, threads), one) << "threads " << threads;
}

// The 16-bit path (samples times 257) gives the 8-bit picture: the method
// only scales with the range, so the two differ by rounding alone. On
// random mosaics (the hardest case for the guided filters' divisions) the
// 16-bit result rounded to 8 bits differs by more than one level in at most
// one sample in a thousand, and by a twentieth of a level on average.
TEST(Ri, The16BitPathGivesThe8BitPicture) {
    const uint32_t w = 203, h = 198;
    std::vector<uint8_t> m(size_t(w) * h);
    testsupport::FillRandom(m.data(), m.size(), 31);
    const std::vector<uint32_t> narrow = ConvertWith(m, w, h, false, 1);
    const std::vector<uint32_t> wide = ConvertWith(m, w, h, true, 1);
    double total = 0;
    size_t far = 0;
    for (size_t i = 0; i < narrow.size(); ++i) {
        const double d = std::abs(std::floor(wide[i] / 257.0 + 0.5) - narrow[i]);
        total += d;
        far += d > 1 ? 1 : 0;
    }
    EXPECT_LT(total / narrow.size(), 0.05);
    EXPECT_LE(far * 1000, narrow.size());
}

// A band's working memory at 4096 x 3072, with the strip of 16-bit source
// rows a packed or corrected mosaic adds, keeps the most bands within
// 32 MiB, for widths that leave the widest tiles too.
TEST(Ri, WorkingMemoryOfTheMostBandsStaysWithin32MiB) {
    using namespace orvex;
    for (const uint32_t w : {4096u, 4095u, 385u, 383u, 2u})
        for (const uint32_t h : {3072u / kRiMaxBands, 3072u, 3u}) {
            std::vector<uint8_t> out(size_t(w) * 3);
            const SourceView src{nullptr, ptrdiff_t(w * 2), 0, w, h, kFormatMosaic16, 0};
            RiMemory memory;
            PrepareRi(WholeFrame(src, {out.data(), 0, 0, w, h, kFormatRgb48, 0}, 4095), memory);
            const size_t source = (engine::StripRowsFor(kRiMargin) + 2 * kRiMargin) * size_t(w) * 2;
            EXPECT_LE((memory.planes.size() * sizeof(float) + source) * kRiMaxBands, size_t(32)
                                                                                         << 20)
                << w << " x " << h;
        }
}

// The colour stage from a given green: where the colour is k green plus a
// plane a x + b y + c, the colour's Laplacian is k times green's, so the
// slope is k whatever the plane, the offsets' window means are the plane,
// and red and blue come back exactly (to rounding) on a textured green.
// A slope from the covariance would be drawn off k by the plane.
TEST(Ri, TheColourStageRecoversAColourLinearInGreenAndPosition) {
    using namespace orvex::ri_plain;
    const struct {
        float k, a, b, c;
        int colour;
        size_t pattern;
    } kCases[] = {{0.0f, 0.0f, 0.0f, 77.0f, 0, 0},
                  {1.5f, 0.0f, 0.0f, 10.0f, 2, 1},
                  {0.5f, 0.3f, -0.2f, 60.0f, 0, 2},
                  {1.25f, -0.25f, 0.4f, 30.0f, 2, 3},
                  {2.0f, 0.35f, 0.15f, -40.0f, 0, 1}};
    for (const auto& t : kCases) {
        Strip s{};
        s.ww = 90, s.wh = 80, s.left = 3, s.top = 5;
        s.redColumn = t.pattern & 1, s.redRow = t.pattern >> 1;
        s.limit = 255.0f, s.floor = s.limit * s.limit * 1e-6f;
        Plane m = s.New(), g = s.New();
        std::vector<uint8_t> noise(s.ww * s.wh);
        testsupport::FillRandom(noise.data(), noise.size(), 41);
        auto colour = [&](ptrdiff_t x, ptrdiff_t y) {
            return t.k * g(x, y) + ((t.a * float(x) + t.b * float(y)) + t.c);
        };
        for (ptrdiff_t y = 0; y < ptrdiff_t(s.wh); ++y)
            for (ptrdiff_t x = 0; x < ptrdiff_t(s.ww); ++x) {
                g(x, y) = 40.0f + float(noise[size_t(y) * s.ww + size_t(x)] % 61);
                m(x, y) = s.Colour(x, y) == 1 ? g(x, y) : colour(x, y);
            }
        const Plane out = Colour(s, m, g, t.colour);
        float worst = 0;
        for (ptrdiff_t y = 28; y + 28 < ptrdiff_t(s.wh); ++y)
            for (ptrdiff_t x = 28; x + 28 < ptrdiff_t(s.ww); ++x)
                worst =
                    std::max(worst, std::fabs(out.v[size_t(y) * s.ww + size_t(x)] - colour(x, y)));
        EXPECT_LT(worst, 0.01f) << "k " << t.k << " plane " << t.a << ", " << t.b << ", " << t.c
                                << " colour " << t.colour;
    }
}

// The library's passes against the plain per-pixel form, at every
// instruction-set level, on random mosaics of odd and even sizes (of one
// tile and of several, of one chunk of column differences and of several,
// the planes moving up more than once), whole and in regions, 8- and 12-bit.
TEST(Ri, PassesMatchThePlainFormAtEveryLevel) {
    using namespace orvex;
    uint32_t seed = 5;
    for (const auto level : testsupport::kSimdLevels)
        for (const auto& [w, h] : {std::pair<uint32_t, uint32_t>{2, 2},
                                   {5, 3},
                                   {41, 36},
                                   {76, 45},
                                   {1031, 7},
                                   {67, 203},
                                   {29, 409},
                                   {19, 900}})
            for (const uint32_t bits : {8u, 12u}) {
                const bool wide = bits > 8;
                std::vector<uint8_t> mosaic(size_t(w) * h * (wide ? 2 : 1));
                testsupport::FillRandom(mosaic.data(), mosaic.size(), seed++);
                // Every other mosaic with flat stretches of rows and of
                // columns, where the floors decide the fits and the
                // gradients vanish.
                for (size_t i = 0; seed % 2 == 0 && i < size_t(w) * h; ++i)
                    if (i / w % 23 < 6 || i % w % 29 < 7) {
                        if (wide)
                            testsupport::Store16(mosaic.data(), i, 0x5A5);
                        else
                            mosaic[i] = 0x5A;
                    }
                if (wide)
                    for (size_t i = 0; i < size_t(w) * h; ++i)
                        testsupport::Store16(mosaic.data(), i,
                                             testsupport::Load16(mosaic.data(), i) & 0xFFF);
                const SourceView src{mosaic.data(),
                                     ptrdiff_t(w * (wide ? 2 : 1)),
                                     0,
                                     w,
                                     h,
                                     wide ? kFormatMosaic16 : kFormatMosaic8,
                                     seed % 4};
                for (const uint32_t x : {0u, w / 3}) {
                    const uint32_t rw = w - x, rh = h - x % h;
                    std::vector<uint8_t> fast(size_t(rw) * rh * 6), plain(fast.size());
                    auto job = [&](uint8_t* out) {
                        Conversion c =
                            WholeFrame(src, {out, ptrdiff_t(rw * 6), 0, rw, rh, kFormatRgb48, 0},
                                       (1u << bits) - 1);
                        c.x = x;
                        c.y = x % h;
                        c.pack = {true, 0, bits};
                        return c;
                    };
                    RiMemory memory;
                    PrepareRi(job(fast.data()), memory);
                    RiDemosaic(job(fast.data()), memory, level);
                    RiPlain(job(plain.data()), level);
                    ASSERT_EQ(fast, plain) << w << "x" << h << " bits " << bits << " region at "
                                           << x << " level " << level;
                }
            }
}

// Differences along L columns of n sites from the stages advancing together
// (intermediates in rings), one after the other (whole rows of scratch) or,
// for 16 columns, the AVX-512 registers, in a window `stride` wide starting
// on a cache line, sites outside [12, n - 12) left as -1; their bits.
enum class ColumnForm { kRings, kStages, kAvx512 };
template <size_t L>
std::vector<uint32_t> ColumnDifferences(ColumnForm form, size_t stride, size_t n, size_t green,
                                        float limit, uint32_t seed) {
    using namespace orvex;
    std::vector<uint8_t> bytes(stride * n);
    testsupport::FillRandom(bytes.data(), bytes.size(), seed);
    std::vector<float> memory(2 * bytes.size() + 16), scratch(kRiLineRows * n * L + 16);
    float* m = memory.data() + (16 - reinterpret_cast<uintptr_t>(memory.data()) / 4 % 16) % 16;
    float* diff = m + bytes.size();
    float* rings =
        scratch.data() + (16 - reinterpret_cast<uintptr_t>(scratch.data()) / 4 % 16) % 16;
    for (size_t i = 0; i < bytes.size(); ++i) {  // flat stretches too, where the floors decide
        m[i] = i / stride % 37 < 12 ? limit / 3 : float(bytes[i]) * limit / 255;
        diff[i] = -1.0f;
    }
    const float floor = limit * limit * 1e-6f;
    if (form == ColumnForm::kRings)
        RiColumnLines<L>(m, stride, n, green, limit, floor, rings, diff, stride);
    else if (form == ColumnForm::kStages)
        RiLines<L>(m, stride, n, green, limit, floor, rings, diff, stride);
#if defined(ORVEX_X86)
    else if constexpr (L == 16)
        RiColumnLinesAvx512(m, stride, n, green, limit, floor, rings, diff, stride);
#endif
    std::vector<uint32_t> bits(bytes.size());
    std::memcpy(bits.data(), diff, bits.size() * sizeof(float));
    return bits;
}

TEST(Ri, ColumnLinesInRingsMatchTheStagesOneAfterTheOther) {
    using orvex::Isa;
    // The shortest lines (each stage starting while the one before it is
    // still in its first ring), lines of a few rings and of many, ending at
    // every phase of a ring.
    const struct {
        size_t n, green;
        float limit;
    } kCases[] = {{25, 0, 255},  {25, 1, 255},  {26, 1, 4095},   {40, 0, 255},
                  {47, 1, 1023}, {280, 0, 255}, {280, 1, 65535}, {301, 0, 4095}};
    const bool avx512 = orvex::ProcessSimd().Has(Isa::Avx512);
    uint32_t seed = 11;
    for (const auto& c : kCases) {
        const auto f16 = ColumnDifferences<16>(ColumnForm::kRings, 19, c.n, c.green, c.limit, seed);
        ASSERT_EQ(f16, ColumnDifferences<16>(ColumnForm::kStages, 19, c.n, c.green, c.limit, seed))
            << c.n;
        const auto f4 = ColumnDifferences<4>(ColumnForm::kRings, 7, c.n, c.green, c.limit, ++seed);
        ASSERT_EQ(f4, ColumnDifferences<4>(ColumnForm::kStages, 7, c.n, c.green, c.limit, seed))
            << c.n;
        // The registers' form reads and writes whole cache lines.
        if (avx512) {
            ASSERT_EQ(ColumnDifferences<16>(ColumnForm::kAvx512, 32, c.n, c.green, c.limit, seed),
                      ColumnDifferences<16>(ColumnForm::kStages, 32, c.n, c.green, c.limit, seed))
                << c.n;
        }
        ++seed;
    }
}

#if defined(ORVEX_X86)
// A row's differences from the AVX-512 blocks against the stages one after
// the other, on rows of a few blocks and of many, with flat stretches where
// the floors decide, at both green phases and several ranges: every site of
// [12, n - 12), bit for bit.
TEST(Ri, RowLinesInBlocksMatchTheStagesOneAfterTheOther) {
    using namespace orvex;
    if (!ProcessSimd().Has(Isa::Avx512)) GTEST_SKIP() << "no AVX-512";
    const struct {
        size_t n, green;
        float limit;
    } kCases[] = {{32, 0, 255},  {48, 1, 255},    {64, 1, 4095},
                  {576, 0, 255}, {576, 1, 65535}, {1040, 0, 1023}};
    uint32_t seed = 3;
    for (const auto& c : kCases) {
        // Room for the blocks' reach beyond the row, on cache lines.
        std::vector<float> memory(4 * c.n + kRiLineRows * RiRowLinesStride(c.n) + 64);
        float* m = memory.data() + (16 - reinterpret_cast<uintptr_t>(memory.data()) / 4 % 16) % 16;
        float *blocks = m + 2 * c.n, *scratch = blocks + c.n;
        std::vector<uint8_t> bytes(c.n);
        testsupport::FillRandom(bytes.data(), bytes.size(), seed++);
        for (size_t x = 0; x < c.n; ++x)
            m[x] = x % 37 < 12 ? c.limit / 3 : float(bytes[x]) * c.limit / 255;
        const float floor = c.limit * c.limit * 1e-6f;
        std::vector<float> stages(c.n), lineScratch(kRiLineRows * c.n);
        RiLines<1>(m, 1, c.n, c.green, c.limit, floor, lineScratch.data(), stages.data(), 1);
        RiRowLinesAvx512(m, c.n, c.green, c.limit, floor, scratch, blocks);
        for (size_t x = 12; x + 12 < c.n; ++x)
            ASSERT_EQ(std::memcmp(&stages[x], &blocks[x], sizeof(float)), 0)
                << c.n << " site " << x;
    }
}
#endif

}  // namespace
