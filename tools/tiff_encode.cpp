// The TIFF writer: grey or colour, 8 or 16 bits, into memory or a file.
#include <tiffio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "codecs.h"
#include "tiff_memory.h"

namespace orvex_tool {
namespace {

void WriteDirectory(TIFF* tif, const Raster& r, const std::string& name, const Memory& m) {
    const uint16_t bits = static_cast<uint16_t>(r.StoredBits());
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, r.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, r.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(r.channels));
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
                 r.channels == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    // Samples that do not fill their width say how far they reach.
    if (r.bitDepth != bits)
        TIFFSetField(tif, TIFFTAG_MAXSAMPLEVALUE, uint16_t((1u << r.bitDepth) - 1));
    if (r.channels == 4) {
        const uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    const size_t rowSamples = size_t(r.width) * r.channels;
    std::vector<uint8_t> line(rowSamples * bits / 8);
    for (uint32_t y = 0; y < r.height; ++y) {
        const uint16_t* row = r.samples.data() + y * rowSamples;
        if (bits == 16)
            std::memcpy(line.data(), row, line.size());
        else
            std::copy(row, row + rowSamples, line.begin());
        if (TIFFWriteScanline(tif, line.data(), y) < 0)
            throw ToolError(kOutputError, name + ": TIFF: " + m.message);
    }
    if (!TIFFFlush(tif)) throw ToolError(kOutputError, name + ": TIFF: " + m.message);
}

}  // namespace

std::vector<uint8_t> EncodeTiff(const Raster& r, const std::string& name) {
    std::vector<uint8_t> out;
    out.reserve(size_t(r.width) * r.height * r.channels * 2 + 1024);
    Memory m;
    m.out = &out;
    Tiff tif = OpenTiff(m, name, "w");
    if (!tif) throw ToolError(kOutputError, name + ": TIFF: " + m.message);
    WriteDirectory(tif.get(), r, name, m);
    tif.reset();
    return out;
}

void WriteTiff(int fd, const Raster& r, const std::string& name) {
    Memory m;
    const TiffOptions options = MessagesTo(m);
    Tiff tif(TIFFFdOpenExt(fd, name.c_str(), "w", options.get()));
    if (!tif) {
        close(fd);
        throw ToolError(kOutputError, name + ": TIFF: " + m.message);
    }
    WriteDirectory(tif.get(), r, name, m);
    // Closing the handle closes the file: it must be on disk before the rename.
    if (fsync(fd) != 0) throw ToolError(kOutputError, name + ": " + std::strerror(errno));
}

}  // namespace orvex_tool
