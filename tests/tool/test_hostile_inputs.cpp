// Files from strangers: headers that claim more than their data, samples
// whose meaning the tool does not read, interrupted batches, full outputs.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <tiffio.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "image_io.h"
#include "tool_process.h"

namespace {

namespace fs = std::filesystem;
using namespace orvex_tool;

using orvex_test::ToolRun;
using HostileInputs = orvex_test::ToolFolder;

void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Be32(uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

std::string Chunk(const std::string& type, const std::string& data) {
    const std::string body = type + data;
    return Be32(uint32_t(data.size())) + body +
           Be32(uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
}

// A grey 8-bit PNG whose header claims w x h over `rows` of zeros.
std::string Png(uint32_t w, uint32_t h, uint32_t rows, bool badCrc = false) {
    const std::string ihdr = Be32(w) + Be32(h) + std::string("\x08\0\0\0\0", 5);
    std::string raw(size_t(rows) * (w + 1), '\0');
    std::string z(compressBound(uLong(raw.size())), '\0');
    uLongf zn = uLongf(z.size());
    compress(reinterpret_cast<Bytef*>(&z[0]), &zn, reinterpret_cast<const Bytef*>(raw.data()),
             uLong(raw.size()));
    std::string idat = Chunk("IDAT", z.substr(0, zn));
    if (badCrc) idat.back() ^= 1;
    return "\x89PNG\r\n\x1a\n" + Chunk("IHDR", ihdr) + idat + Chunk("IEND", "");
}

// A small TIFF with the given tags, written by libtiff.
void Tiff(const std::string& path, uint16_t photometric, uint16_t format, uint16_t bits,
          uint32_t tile = 0, uint16_t compression = COMPRESSION_NONE) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(t, nullptr);
    const uint32_t w = 32, h = 24;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, uint16_t(1));
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, format);
    TIFFSetField(t, TIFFTAG_COMPRESSION, compression);
    if (photometric == PHOTOMETRIC_PALETTE) {
        std::vector<uint16_t> map(size_t(1) << bits, 0);
        TIFFSetField(t, TIFFTAG_COLORMAP, map.data(), map.data(), map.data());
    }
    std::vector<uint8_t> row(w * bits / 8);
    for (size_t i = 0; i < row.size(); ++i) row[i] = uint8_t(i * 7);
    if (tile) {
        TIFFSetField(t, TIFFTAG_TILEWIDTH, tile);
        TIFFSetField(t, TIFFTAG_TILELENGTH, tile);
        std::vector<uint8_t> buf(TIFFTileSize(t));
        for (uint32_t y = 0; y < h; y += tile)
            for (uint32_t x = 0; x < w; x += tile) {
                for (uint32_t ty = 0; ty < tile; ++ty)
                    for (uint32_t tx = 0; tx < tile * bits / 8; ++tx)
                        buf[ty * tile * bits / 8 + tx] =
                            x + tx * 8 / bits < w ? row[x * bits / 8 + tx] : 0;
                TIFFWriteTile(t, buf.data(), x, y, 0, 0);
            }
    } else {
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 4u);
        for (uint32_t y = 0; y < h; ++y) TIFFWriteScanline(t, row.data(), y);
    }
    TIFFClose(t);
}

// A little-endian TIFF directory claiming w x h 8-bit grey samples,
// uncompressed, in one strip that the file does not hold.
std::string LyingTiff(uint32_t w, uint32_t h) {
    auto le = [](uint32_t v, int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += char(v >> (8 * i));
        return s;
    };
    const uint32_t entries[][3] = {{256, 4, w}, {257, 4, h}, {258, 3, 8},
                                   {259, 3, 1}, {262, 3, 1}, {273, 4, 200},
                                   {277, 3, 1}, {278, 4, h}, {279, 4, w * h}};
    std::string s = "II*" + std::string(1, '\0') + le(8, 4) + le(9, 2);
    for (const auto& e : entries) s += le(e[0], 2) + le(e[1], 2) + le(1, 4) + le(e[2], 4);
    return s + le(0, 4) + std::string(100, '\0');
}

TEST_F(HostileInputs, ClaimsBeyondTheDataOrTheLimitAreRefusedUnread) {
    Put(Path("big.png"), Png(20000, 20000, 1));
    Put(Path("short.png"), Png(4000, 4000, 3));
    Put(Path("crc.png"), Png(8, 8, 8, true));
    Put(Path("big.tif"), LyingTiff(40000, 40000));
    Put(Path("short.tif"), LyingTiff(10000, 10000));
    Put(Path("short.pgm"), "P5 4000 4000 255\n" + std::string(100, '\0'));
    struct Case {
        std::string args, what;
    } const cases[] = {
        {Path("big.png"), "20000 x 20000 pixels are more than the limit of 268435456"},
        {Path("short.png") + " --max-pixels 100", "more than the limit of 100 (--max-pixels"},
        {Path("short.png"), "PNG: "},
        {Path("crc.png"), "IDAT chunk at byte 33 is damaged"},
        {Path("big.tif"), "40000 x 40000 pixels are more than the limit"},
        {Path("short.tif"), "needs 100000000 bytes of samples, the file holds"},
        {Path("short.pgm"), "truncated"},
        // Raw samples are read only as far as the geometry reaches.
        {"/dev/zero --width 64 --height 48", "raw size above 3072 bytes does not match"},
        {"/dev/zero --width 64 --height 48 --format raw12-mipi --max-pixels 10",
         "more than the limit of 10"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const ToolRun r = Tool("convert " + c.args + " " + Path("out.png"));
        EXPECT_EQ(r.status, kInputError);
        EXPECT_NE(r.err.find(c.what), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_FALSE(fs::exists(Path("out.png")));
    }
    // Standard input too, and a packed frame's trailer is only a warning.
    const ToolRun piped =
        Tool("convert - " + Path("out.png") + " --width 8 --height 8", "/dev/zero");
    EXPECT_EQ(piped.status, kInputError);
    EXPECT_NE(piped.err.find("above 64 bytes"), std::string::npos) << piped.err;
    const ToolRun trailer =
        Tool("convert /dev/zero " + Path("t.png") + " --width 8 --height 8 --format raw12-mipi");
    EXPECT_EQ(trailer.status, 0) << trailer.err;
    EXPECT_NE(trailer.err.find("bytes after the 96 of the 8 x 8 raw12-mipi frame ignored"),
              std::string::npos)
        << trailer.err;
}

TEST_F(HostileInputs, TiffsAreReadForWhatTheyAreOrRefused) {
    struct Case {
        const char* file;
        uint16_t photometric, format, bits;
        const char* what;  // nullptr: read like the plain strips
        uint32_t tile = 0;
        uint16_t compression = COMPRESSION_NONE;
    } const cases[] = {
        {"half.tif", PHOTOMETRIC_MINISBLACK, SAMPLEFORMAT_IEEEFP, 16, "16-bit floating-point"},
        {"signed.tif", PHOTOMETRIC_MINISBLACK, SAMPLEFORMAT_INT, 16, "signed samples"},
        {"palette.tif", PHOTOMETRIC_PALETTE, SAMPLEFORMAT_UINT, 8, "a palette (colour-mapped)"},
        {"white.tif", PHOTOMETRIC_MINISWHITE, SAMPLEFORMAT_UINT, 8, "(MinIsWhite)"},
        {"tiled.tif", PHOTOMETRIC_MINISBLACK, SAMPLEFORMAT_UINT, 8, nullptr, 16},
        {"tiled16.tif", PHOTOMETRIC_MINISBLACK, SAMPLEFORMAT_UINT, 16, nullptr, 16},
        {"deflate.tif", PHOTOMETRIC_MINISBLACK, SAMPLEFORMAT_UINT, 8, nullptr, 0,
         COMPRESSION_ADOBE_DEFLATE},
    };
    Tiff(Path("plain8.tif"), PHOTOMETRIC_MINISBLACK, SAMPLEFORMAT_UINT, 8);
    Tiff(Path("plain16.tif"), PHOTOMETRIC_MINISBLACK, SAMPLEFORMAT_UINT, 16);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Tiff(Path(c.file), c.photometric, c.format, c.bits, c.tile, c.compression);
        const ToolRun r = Tool("convert " + Path(c.file) + " " + Path("out.png") + " --force");
        if (c.what) {
            EXPECT_EQ(r.status, kInputError);
            EXPECT_NE(r.err.find(Path(c.file) + ": "), std::string::npos) << r.err;
            EXPECT_NE(r.err.find(c.what), std::string::npos) << r.err;
            continue;
        }
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(ReadImage(Path(c.file), {}).raster.samples,
                  ReadImage(Path(c.bits == 16 ? "plain16.tif" : "plain8.tif"), {}).raster.samples);
    }
    // A strip cut short: our words, never libtiff's scanline numbers.
    std::ifstream in(Path("deflate.tif"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    for (size_t i = 16; i < 40 && i < bytes.size(); ++i) bytes[i] = char(0xA5);
    Put(Path("damaged.tif"), bytes);
    const ToolRun r = Tool("convert " + Path("damaged.tif") + " " + Path("d.png"));
    EXPECT_EQ(r.status, kInputError);
    EXPECT_EQ(r.err.find("4294967295"), std::string::npos) << r.err;
}

TEST_F(HostileInputs, FailedWritesOfTextAreOutputErrors) {
    EXPECT_EQ(Tool("formats", "/dev/null", "/dev/full").status, kOutputError);
    Put(Path("a.pgm"), "P5 8 8 255\n" + std::string(64, '\x40'));
    EXPECT_EQ(Tool("convert " + Path("a.pgm") + " - --to ppm", "/dev/null", "/dev/full").status,
              kOutputError);
}

// Interrupted at different moments, a batch leaves no temporary file.
TEST_F(HostileInputs, InterruptedBatchesLeaveNoTemporaryFiles) {
    const std::string frame = "P5 1500 1000 255\n" + std::string(1500 * 1000, '\x30');
    std::string inputs;
    for (int i = 0; i < 8; ++i) {
        Put(Path("f" + std::to_string(i) + ".pgm"), frame);
        inputs += " " + Path("f" + std::to_string(i) + ".pgm");
    }
    for (const int delay : {20, 60, 120, 250}) {
        for (const int signal : {SIGINT, SIGTERM}) {
            SCOPED_TRACE(std::to_string(delay) + " ms, signal " + std::to_string(signal));
            fs::remove_all(Path("out"));
            const pid_t pid = fork();
            if (pid == 0) {
                const std::string out = Path("out");
                execl(ORVEX_TOOL, ORVEX_TOOL, "convert", "-q", "-j", "2", "--to", "ppm", "-o",
                      out.c_str(), Path("f0.pgm").c_str(), Path("f1.pgm").c_str(),
                      Path("f2.pgm").c_str(), Path("f3.pgm").c_str(), Path("f4.pgm").c_str(),
                      Path("f5.pgm").c_str(), Path("f6.pgm").c_str(), Path("f7.pgm").c_str(),
                      static_cast<char*>(nullptr));
                _exit(127);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(delay));
            kill(pid, signal);
            int status = 0;
            waitpid(pid, &status, 0);
            // Finished before the signal, or ended by it with 128 + its number
            // (a signal before the tool starts ends it before it writes anything).
            if (WIFEXITED(status) && WEXITSTATUS(status) != 0)
                EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
            if (fs::exists(Path("out")))
                for (const auto& e : fs::directory_iterator(Path("out")))
                    EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos)
                        << e.path();
        }
    }
}

}  // namespace

namespace {

// Packed frames whose stride reaches far beyond the file: the frame's size
// is counted in 64 bits and compared with the bytes present, never read.
TEST_F(HostileInputs, PackedStridesBeyondTheFileAreRefused) {
    Put(Path("f.bin"), std::string(64, '\x11'));
    for (const char* stride : {"4294967292", "2147483648", "65536"}) {
        SCOPED_TRACE(stride);
        const ToolRun r = Tool("convert " + Path("f.bin") + " " + Path("o.png") +
                               " --format raw12-mipi --width 16 --height 4 --stride " + stride);
        EXPECT_EQ(r.status, kInputError) << r.err;
        EXPECT_NE(r.err.find("64 bytes do not hold 16 x 4 raw12-mipi samples"), std::string::npos)
            << r.err;
    }
}

}  // namespace
