// libtiff over a byte vector, with libtiff's messages kept per handle (so
// threads never share one), for the TIFF reader and writer.
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvex_tool {

struct Memory {
    const uint8_t* data = nullptr;        // reading
    std::vector<uint8_t>* out = nullptr;  // writing
    uint64_t size = 0;
    uint64_t pos = 0;
    std::string message;
};

struct TiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};
using Tiff = std::unique_ptr<TIFF, TiffCloser>;

using TiffOptions = std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)>;

// Open options that keep libtiff's error messages in `m` and hold each of
// its allocations in proportion to a file of `fileSize` bytes (0: no bound).
TiffOptions MessagesTo(Memory& m, uint64_t fileSize = 0);

// `m.data`/`m.size` read, or `m.out` written, as libtiff's mode says.
Tiff OpenTiff(Memory& m, const std::string& name, const char* mode, uint64_t fileSize = 0);

}  // namespace orvex_tool
