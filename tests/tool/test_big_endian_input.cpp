// Headerless frames of 16-bit samples high byte first (--format mosaic16-be)
// convert as the same samples given little-endian, their significant bits
// from --depth.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "tool_process.h"

namespace {

namespace fs = std::filesystem;

using orvex_test::ToolRun;

class BigEndianInput : public orvex_test::ToolFolder {
  protected:
    std::string Bytes(const std::string& name) const { return orvex_test::Slurp(Path(name)); }
    // Writes the samples in both byte orders: name.le and name.be.
    void Write(const std::string& name, const std::vector<uint16_t>& samples) const {
        std::ofstream le(Path(name + ".le"), std::ios::binary),
            be(Path(name + ".be"), std::ios::binary);
        for (const uint16_t v : samples) {
            le.put(char(v & 0xFF)).put(char(v >> 8));
            be.put(char(v >> 8)).put(char(v & 0xFF));
        }
    }
};

std::vector<uint16_t> Samples(size_t n, uint32_t top, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint16_t> v(n);
    for (uint16_t& s : v) s = uint16_t(rng() % (top + 1));
    return v;
}

TEST_F(BigEndianInput, ConvertsAsLittleEndianSamplesOfTheSameDepth) {
    const std::string size = " --width 14 --height 10 --force";
    const struct {
        const char* depth;  // given to both runs; "" for 16 bits by default
        uint32_t top;
        const char* output;
    } cases[] = {{" --depth 12", 4095, "png"}, {" --depth 10", 1023, "raw"}, {"", 65535, "tif"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.depth);
        Write("f", Samples(140, c.top, c.top));
        const std::string le = std::string("a.") + c.output, be = std::string("b.") + c.output;
        const std::string method = " --method mhc";
        ASSERT_EQ(Tool("convert " + Path("f.le") + " " + Path(le) + size + method +
                       (*c.depth ? c.depth : " --depth 16"))
                      .status,
                  0);
        const ToolRun r = Tool("convert " + Path("f.be") + " " + Path(be) + size + method +
                               c.depth + " --format mosaic16-be");
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(Bytes(le), Bytes(be));
    }
}

TEST_F(BigEndianInput, DepthsBelowNineAreRefusedAndLargerSamplesClamped) {
    std::vector<uint16_t> samples = Samples(16, 4095, 3);
    samples[5] = 5000;
    Write("f", samples);
    const std::string common = " --width 4 --height 4 --format mosaic16-be --force";
    const ToolRun narrow =
        Tool("convert " + Path("f.be") + " " + Path("o.raw") + common + " --depth 8");
    EXPECT_NE(narrow.status, 0);
    EXPECT_NE(narrow.err.find("--depth is 9 to 16 for mosaic16-be samples"), std::string::npos)
        << narrow.err;
    EXPECT_FALSE(fs::exists(Path("o.raw")));
    const ToolRun clamped =
        Tool("convert " + Path("f.be") + " " + Path("o.raw") + common + " --depth 12");
    ASSERT_EQ(clamped.status, 0) << clamped.err;
    EXPECT_NE(clamped.err.find("1 samples above 4095"), std::string::npos) << clamped.err;
    samples[5] = 4095;
    Write("g", samples);
    ASSERT_EQ(Tool("convert " + Path("g.be") + " " + Path("p.raw") + common + " --depth 12").status,
              0);
    EXPECT_EQ(Bytes("o.raw"), Bytes("p.raw"));
}

}  // namespace
