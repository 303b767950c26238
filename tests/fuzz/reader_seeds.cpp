// Writes the seed corpus of the readers' fuzz target into a folder (made
// with the further, empty folders named): small valid files of every kind
// the tool reads, each behind the eight bytes that choose its reader and
// options (see fuzz_readers.cpp).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image_io.h"
#include "library_calls.h"
#include "synthetic_dng.h"

namespace {

using namespace orvex_tool;

std::vector<uint8_t> Slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

void Seed(const std::string& dir, const std::string& name, std::vector<uint8_t> header,
          const std::vector<uint8_t>& file) {
    header.resize(8);
    header.insert(header.end(), file.begin(), file.end());
    std::ofstream(dir + "/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(header.data()), std::streamsize(header.size()));
}

Raster Grey(uint32_t bits) {
    Raster r;
    r.width = 16;
    r.height = 12;
    r.bitDepth = bits;
    for (uint32_t i = 0; i < 16 * 12; ++i) r.samples.push_back(uint16_t((i * 37) % (1u << bits)));
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: reader_seeds FOLDER [EMPTY-FOLDER...]\n");
        return 2;
    }
    for (int i = 1; i < argc; ++i) std::filesystem::create_directories(argv[i]);
    const std::string dir = argv[1], file = dir + "/.seed";
    const struct {
        const char* name;
        Container container;
        uint32_t bits;
    } images[] = {{"pgm8", Container::Pgm, 8},   {"pgm16", Container::Pgm, 16},
                  {"png8", Container::Png, 8},   {"png16", Container::Png, 16},
                  {"tiff8", Container::Tiff, 8}, {"tiff16", Container::Tiff, 16}};
    for (const auto& image : images) {
        WriteImage(file, Grey(image.bits), image.container, true);
        Seed(dir, image.name, {0}, Slurp(file));
    }
    // 16 x 12 raw samples of 12 bits, and the same frame packed as MIPI RAW12
    // with rows padded to 32 bytes.
    std::vector<uint8_t> raw;
    for (uint16_t s : Grey(12).samples) raw.insert(raw.end(), {uint8_t(s), uint8_t(s >> 8)});
    Seed(dir, "raw12", {1, 16, 0, 12, 0, 4}, raw);
    const std::vector<std::string> packings = RawFormatChoices();
    uint8_t mipi = 0;
    while (mipi < packings.size() && packings[mipi] != "raw12-mipi") ++mipi;
    Seed(dir, "mipi12", {2, 16, 0, 12, 0, 4, mipi, 8}, std::vector<uint8_t>(32 * 12, 0x5a));
    orvex_test::WriteDng(file, 0, 1, 0.2, 0.6);
    Seed(dir, "dng", {3}, Slurp(file));
    std::remove(file.c_str());
    return 0;
}
