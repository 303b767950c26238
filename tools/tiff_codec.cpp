#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

#include "codecs.h"

namespace orvex_tool {
namespace {

// ---- libtiff over a byte vector, with messages kept per handle. ----

struct Memory {
    const uint8_t* data = nullptr;        // reading
    std::vector<uint8_t>* out = nullptr;  // writing
    uint64_t size = 0;
    uint64_t pos = 0;
    std::string message;
};

tmsize_t ReadProc(thandle_t h, void* buf, tmsize_t n) {
    Memory& m = *static_cast<Memory*>(h);
    const uint64_t left = m.pos < m.size ? m.size - m.pos : 0;
    const uint64_t take = std::min<uint64_t>(left, uint64_t(n));
    if (take) std::memcpy(buf, m.data + m.pos, take);
    m.pos += take;
    return tmsize_t(take);
}

tmsize_t WriteProc(thandle_t h, void* buf, tmsize_t n) {
    Memory& m = *static_cast<Memory*>(h);
    if (!m.out) return -1;
    if (m.out->size() < m.pos + uint64_t(n)) m.out->resize(m.pos + n);
    std::memcpy(m.out->data() + m.pos, buf, n);
    m.pos += n;
    m.size = m.out->size();
    return n;
}

toff_t SeekProc(thandle_t h, toff_t off, int whence) {
    Memory& m = *static_cast<Memory*>(h);
    const uint64_t base = whence == SEEK_CUR ? m.pos : whence == SEEK_END ? m.size : 0;
    m.pos = base + off;
    return m.pos;
}

int CloseProc(thandle_t) {
    return 0;
}
toff_t SizeProc(thandle_t h) {
    return static_cast<Memory*>(h)->size;
}
int MapProc(thandle_t, void**, toff_t*) {
    return 0;
}
void UnmapProc(thandle_t, void*, toff_t) {}

int KeepMessage(TIFF*, void* user, const char*, const char* fmt, va_list args) {
    char buf[512];
    std::vsnprintf(buf, sizeof buf, fmt, args);
    static_cast<Memory*>(user)->message = buf;
    return 1;
}

int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct TiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};
using Tiff = std::unique_ptr<TIFF, TiffCloser>;

using Options = std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)>;

// Messages go to the handle's own Memory record, so threads never share one.
Options MessagesTo(Memory& m, uint64_t fileSize = 0) {
    Options options(TIFFOpenOptionsAlloc(), TIFFOpenOptionsFree);
    // No one allocation of libtiff's may be far out of proportion to the file.
    if (fileSize)
        TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(),
                                            tmsize_t(64 << 20) + tmsize_t(fileSize) * 4);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), KeepMessage, &m);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), IgnoreWarning, nullptr);
    return options;
}

Tiff Open(Memory& m, const std::string& name, const char* mode, uint64_t fileSize = 0) {
    const Options options = MessagesTo(m, fileSize);
    return Tiff(TIFFClientOpenExt(name.c_str(), mode, &m, ReadProc, WriteProc, SeekProc, CloseProc,
                                  SizeProc, MapProc, UnmapProc, options.get()));
}

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
    Tiff tif = Open(m, name, "rm", bytes.size());
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
    Tiff tif = Open(m, name, "w");
    if (!tif) throw ToolError(kOutputError, name + ": TIFF: " + m.message);
    WriteDirectory(tif.get(), r, name, m);
    tif.reset();
    return out;
}

void WriteTiff(int fd, const Raster& r, const std::string& name) {
    Memory m;
    const Options options = MessagesTo(m);
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
