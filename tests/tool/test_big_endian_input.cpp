// Headerless frames of 16-bit samples high byte first (--format mosaic16-be)
// convert as the same samples given little-endian, their significant bits
// from --depth.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string err;
};

class BigEndianInput : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("orvex-be-" + std::to_string(::getpid()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    Outcome Tool(const std::string& args) const {
        const std::string err = Path("stderr.txt");
        const int raw = std::system((std::string(ORVEX_TOOL) + " " + args + " 2>" + err).c_str());
        std::ifstream f(err);
        std::stringstream s;
        s << f.rdbuf();
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, s.str()};
    }
    std::string Bytes(const std::string& name) const {
        std::ifstream f(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(f), {}};
    }
    // Writes the samples in both byte orders: name.le and name.be.
    void Write(const std::string& name, const std::vector<uint16_t>& samples) const {
        std::ofstream le(Path(name + ".le"), std::ios::binary),
            be(Path(name + ".be"), std::ios::binary);
        for (const uint16_t v : samples) {
            le.put(char(v & 0xFF)).put(char(v >> 8));
            be.put(char(v >> 8)).put(char(v & 0xFF));
        }
    }

    fs::path dir_;
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
        const Outcome r = Tool("convert " + Path("f.be") + " " + Path(be) + size + method +
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
    const Outcome narrow =
        Tool("convert " + Path("f.be") + " " + Path("o.raw") + common + " --depth 8");
    EXPECT_NE(narrow.status, 0);
    EXPECT_NE(narrow.err.find("--depth is 9 to 16 for mosaic16-be samples"), std::string::npos)
        << narrow.err;
    EXPECT_FALSE(fs::exists(Path("o.raw")));
    const Outcome clamped =
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
