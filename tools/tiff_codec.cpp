// The TIFF reader: grey 8/16-bit images, strips or tiles, any compression
// libtiff decodes, refusing what the tool would misread; camera raw files
// marked as such are sent to their own reader.
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

#include "codecs.h"
#include "tiff_memory.h"

namespace orvex_tool {
namespace {

// ---- Camera raw files: TIFF/EP and DNG mark their mosaic. ----

constexpr uint16_t kPhotometricLinearRaw = 34892;

constexpr const char* kNotReadYet =
    "; camera raw files are developed under their own extension (.dng, .cr2, .nef, ...), "
    "not read as TIFF";

struct RawMarks {
    bool dng = false;
    bool cfa = false;
    std::string pattern;  // e.g. "GRBG", when a 2 x 2 pattern is given
};

void MarkDirectory(TIFF* tif, RawMarks& marks) {
    uint16_t photometric = 0;
    if (TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric) &&
        (photometric == PHOTOMETRIC_CFA || photometric == kPhotometricLinearRaw))
        marks.cfa = true;
    uint16_t count = 0;
    uint8_t* colours = nullptr;
    if (TIFFGetField(tif, TIFFTAG_CFAPATTERN, &count, &colours) && colours) {
        marks.cfa = true;
        uint16_t* dims = nullptr;
        if (count == 4 && TIFFGetField(tif, TIFFTAG_CFAREPEATPATTERNDIM, &dims) && dims &&
            dims[0] == 2 && dims[1] == 2) {
            static const char kColour[] = "RGBCMYW";
            marks.pattern.clear();
            for (int i = 0; i < 4; ++i) marks.pattern += colours[i] < 7 ? kColour[colours[i]] : '?';
        }
    }
}

// Looks through every directory and sub-directory (where DNG keeps its raw
// image), at most a few dozen, since a hostile file may chain them forever.
RawMarks FindRawMarks(TIFF* tif) {
    RawMarks marks;
    uint8_t* version = nullptr;
    marks.dng = TIFFGetField(tif, TIFFTAG_DNGVERSION, &version) && version;
    constexpr int kMostDirectories = 32;
    for (int dir = 0; dir < kMostDirectories && TIFFSetDirectory(tif, tdir_t(dir)); ++dir) {
        MarkDirectory(tif, marks);
        uint16_t count = 0;
        uint64_t* offsets = nullptr;
        if (!TIFFGetField(tif, TIFFTAG_SUBIFD, &count, &offsets) || !offsets) continue;
        const std::vector<uint64_t> subs(offsets, offsets + std::min<uint16_t>(count, 8));
        for (uint64_t off : subs)
            if (TIFFSetSubDirectory(tif, off)) MarkDirectory(tif, marks);
    }
    return marks;
}

}  // namespace

Raster DecodeTiff(const std::vector<uint8_t>& bytes, const std::string& name,
                  const InputLimits& limits) {
    // CR2 files mark themselves right after the TIFF header; their first
    // directory is a preview, their mosaic compressed in a later one.
    if (bytes.size() >= 11 && bytes[8] == 'C' && bytes[9] == 'R' && bytes[10] == 2)
        throw ToolError(kInputError, name + ": a CR2 camera raw file" + kNotReadYet);
    auto fail = [&](const std::string& what) { throw ToolError(kInputError, name + ": " + what); };
    Memory m;
    m.data = bytes.data();
    m.size = bytes.size();
    Tiff tif = OpenTiff(m, name, "rm", bytes.size());
    if (!tif) fail("TIFF: " + m.message);
    const RawMarks marks = FindRawMarks(tif.get());
    if (marks.dng || marks.cfa) {
        const std::string what = marks.dng ? "a DNG camera raw file" : "a TIFF/EP camera raw file";
        const std::string filter = marks.pattern.empty()
                                       ? " with a colour filter array"
                                       : " with colour filter array " + marks.pattern;
        fail(what + (marks.cfa ? filter : "") + kNotReadYet);
    }
    if (!TIFFSetDirectory(tif.get(), 0)) fail("TIFF: " + m.message);
    uint32_t w = 0, h = 0;
    uint16_t bits = 0, spp = 1, planar = PLANARCONFIG_CONTIG, format = SAMPLEFORMAT_UINT;
    uint16_t photometric = PHOTOMETRIC_MINISBLACK, compression = COMPRESSION_NONE;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric);
    // What the samples mean, before their size: a picture read with another
    // meaning would be a wrong picture, not a refused one.
    if (format == SAMPLEFORMAT_IEEEFP)
        fail("a TIFF of " + std::to_string(bits) +
             "-bit floating-point samples; only unsigned integer samples are read");
    if (format == SAMPLEFORMAT_INT)
        fail("a TIFF of signed samples; only unsigned integer samples are read");
    if (format != SAMPLEFORMAT_UINT) fail("a TIFF of complex or unknown samples");
    if (photometric == PHOTOMETRIC_PALETTE)
        fail("a palette (colour-mapped) TIFF; only grey and RGB TIFFs are read");
    if (photometric == PHOTOMETRIC_MINISWHITE)
        fail("a TIFF whose 0 is white (MinIsWhite); only grey with 0 black and RGB are read");
    if (photometric == PHOTOMETRIC_YCBCR && compression == COMPRESSION_JPEG) {
        TIFFSetField(tif.get(), TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        photometric = PHOTOMETRIC_RGB;
    }
    if ((bits != 8 && bits != 16) || (spp != 1 && spp != 3 && spp != 4) ||
        (planar != PLANARCONFIG_CONTIG && spp > 1))
        fail("TIFF must be 8- or 16-bit, 1, 3 or 4 interleaved samples");
    if ((spp == 1) != (photometric == PHOTOMETRIC_MINISBLACK) ||
        (spp > 1 && photometric != PHOTOMETRIC_RGB))
        fail("a TIFF of photometric interpretation " + std::to_string(photometric) + " with " +
             std::to_string(spp) + " samples a pixel; only grey and RGB TIFFs are read");
    CheckPixels(name, w, h, limits);
    Raster r;
    r.width = w;
    r.height = h;
    r.channels = spp;
    r.bitDepth = bits;
    const size_t rowSamples = size_t(w) * spp, rowBytes = rowSamples * (bits / 8);
    // Uncompressed data must be in the file before memory is taken for it.
    if (compression == COMPRESSION_NONE) {
        uint64_t held = 0;
        const bool tiled = TIFFIsTiled(tif.get());
        const uint32_t strips =
            tiled ? TIFFNumberOfTiles(tif.get()) : TIFFNumberOfStrips(tif.get());
        const uint64_t needed =
            tiled ? strips * uint64_t(TIFFTileSize64(tif.get())) : uint64_t(rowBytes) * h;
        for (uint32_t i = 0; i < strips; ++i) {
            int failed = 0;
            const uint64_t off = TIFFGetStrileOffsetWithErr(tif.get(), i, &failed);
            const uint64_t count = TIFFGetStrileByteCountWithErr(tif.get(), i, &failed);
            if (!failed && off < bytes.size())
                held += std::min<uint64_t>(count, bytes.size() - off);
        }
        if (held < needed)
            fail("truncated TIFF: " + std::to_string(w) + " x " + std::to_string(h) + " needs " +
                 std::to_string(needed) + " bytes of samples, the file holds " +
                 std::to_string(held));
    }
    // Rows are added as they are decoded, so compressed data claiming more
    // than it holds fails before it takes the memory it claims.
    auto append = [&](const uint8_t* line) {
        const size_t at = r.samples.size();
        try {
            r.samples.resize(at + rowSamples);
        } catch (const std::bad_alloc&) {
            FailTooLarge(name, w, h);
        }
        uint16_t* row = r.samples.data() + at;
        if (bits == 16)
            std::memcpy(row, line, rowBytes);
        else
            std::copy(line, line + rowSamples, row);
    };
    auto unreadable = [&](uint32_t y) {
        fail("TIFF: the data of row " + std::to_string(y) +
             " cannot be read: the file is truncated or damaged");
    };
    if (TIFFIsTiled(tif.get())) {
        uint32_t tw = 0, th = 0;
        TIFFGetField(tif.get(), TIFFTAG_TILEWIDTH, &tw);
        TIFFGetField(tif.get(), TIFFTAG_TILELENGTH, &th);
        const uint64_t tileBytes = TIFFTileSize64(tif.get());
        if (tw == 0 || th == 0 || tileBytes < uint64_t(tw) * th * spp * (bits / 8) ||
            uint64_t(tw) * th > limits.maxPixels)
            fail("TIFF: bad tile size " + std::to_string(tw) + " x " + std::to_string(th));
        std::vector<uint8_t> tile(tileBytes), band(rowBytes * th);
        const size_t pixelBytes = size_t(spp) * (bits / 8);
        for (uint32_t y0 = 0; y0 < h; y0 += th) {
            for (uint32_t x0 = 0; x0 < w; x0 += tw) {
                if (TIFFReadTile(tif.get(), tile.data(), x0, y0, 0, 0) < 0) unreadable(y0);
                const size_t cols = std::min<size_t>(tw, w - x0);
                for (uint32_t ty = 0; ty < th && y0 + ty < h; ++ty)
                    std::memcpy(band.data() + ty * rowBytes + x0 * pixelBytes,
                                tile.data() + size_t(ty) * tw * pixelBytes, cols * pixelBytes);
            }
            for (uint32_t ty = 0; ty < th && y0 + ty < h; ++ty) append(band.data() + ty * rowBytes);
        }
        return r;
    }
    std::vector<uint8_t> line(TIFFScanlineSize64(tif.get()));
    if (line.size() < rowBytes) fail("TIFF: bad scanline size");
    for (uint32_t y = 0; y < h; ++y) {
        if (TIFFReadScanline(tif.get(), line.data(), y) < 0) unreadable(y);
        append(line.data());
    }
    return r;
}

}  // namespace orvex_tool
