#include <spng.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "codecs.h"

namespace orvex_tool {
namespace {

struct SpngDeleter {
    void operator()(spng_ctx* c) const { spng_ctx_free(c); }
};
using Spng = std::unique_ptr<spng_ctx, SpngDeleter>;

// Compression settings by level. Level 1 codes the SUB-filtered rows with
// Huffman codes only: string matching is what makes deflate slow, and on
// camera pictures it gains a few percent at ten times the time.
// Larger coding blocks (memory level 9) cost nothing here and save a little.
struct PngSettings {
    int zlibLevel, strategy, filters, memLevel;
};

PngSettings SettingsFor(int level) {
    if (level <= 0) return {0, Z_DEFAULT_STRATEGY, SPNG_FILTER_CHOICE_NONE, 8};
    if (level == 1) return {1, Z_HUFFMAN_ONLY, SPNG_FILTER_CHOICE_SUB, 9};
    return {level > 9 ? 9 : level, Z_FILTERED, SPNG_FILTER_CHOICE_ALL, 8};
}

// The checksums of the critical chunks (IHDR, PLTE, IDAT, IEND), which the
// decoder may stop reading before it reaches: a damaged one is refused.
void CheckCriticalChunks(const std::vector<uint8_t>& b, const std::string& name) {
    size_t pos = 8;
    while (pos + 12 <= b.size()) {
        const uint8_t* c = b.data() + pos;
        const uint64_t length = uint64_t(c[0]) << 24 | c[1] << 16 | c[2] << 8 | c[3];
        if (length > b.size() - pos - 12) return;  // the decoder reports the truncation
        const bool critical = c[4] >= 'A' && c[4] <= 'Z';
        const uint8_t* end = c + 8 + length;
        const uint32_t stored = uint32_t(end[0]) << 24 | end[1] << 16 | end[2] << 8 | end[3];
        if (critical && uint32_t(crc32(0, c + 4, uInt(length + 4))) != stored)
            throw ToolError(kInputError, name + ": PNG: the " + std::string(c + 4, c + 8) +
                                             " chunk at byte " + std::to_string(pos) +
                                             " is damaged (its checksum does not match)");
        pos += size_t(length) + 12;
        if (std::memcmp(c + 4, "IEND", 4) == 0) return;
    }
}

}  // namespace

Raster DecodePng(const std::vector<uint8_t>& b, const std::string& name,
                 const InputLimits& limits) {
    auto fail = [&](const std::string& what) {
        throw ToolError(kInputError, name + ": PNG: " + what);
    };
    Spng ctx(spng_ctx_new(0));
    // A damaged chunk of image data is an error, never decoded as it is.
    spng_set_crc_action(ctx.get(), SPNG_CRC_ERROR, SPNG_CRC_DISCARD);
    spng_set_chunk_limits(ctx.get(), 1u << 24, 1u << 26);
    spng_ihdr ihdr{};
    int err = spng_set_png_buffer(ctx.get(), b.data(), b.size());
    if (!err) err = spng_get_ihdr(ctx.get(), &ihdr);
    if (err) fail(spng_strerror(err));
    CheckCriticalChunks(b, name);
    const std::pair<uint8_t, uint32_t> kinds[] = {{SPNG_COLOR_TYPE_GRAYSCALE, 1},
                                                  {SPNG_COLOR_TYPE_TRUECOLOR, 3},
                                                  {SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, 4}};
    uint32_t channels = 0;
    for (const auto& [type, n] : kinds)
        if (ihdr.color_type == type) channels = n;
    if (channels == 0 || (ihdr.bit_depth != 8 && ihdr.bit_depth != 16))
        throw ToolError(kInputError, name + ": PNG must be 8- or 16-bit grey, RGB or RGBA");
    CheckPixels(name, ihdr.width, ihdr.height, limits);
    Raster r;
    r.width = ihdr.width;
    r.height = ihdr.height;
    r.channels = channels;
    r.bitDepth = ihdr.bit_depth;
    const size_t rowSamples = size_t(r.width) * channels;
    std::vector<uint8_t> line(rowSamples * (ihdr.bit_depth / 8));
    if (ihdr.interlace_method != SPNG_INTERLACE_NONE) {
        // Passes fill rows all over the picture: the whole of it at once.
        size_t size = 0;
        err = spng_decoded_image_size(ctx.get(), SPNG_FMT_PNG, &size);
        if (err) fail(spng_strerror(err));
        std::vector<uint8_t> pixels;
        try {
            pixels.resize(size);
        } catch (const std::bad_alloc&) {
            FailTooLarge(name, r.width, r.height);
        }
        err = spng_decode_image(ctx.get(), pixels.data(), size, SPNG_FMT_PNG, 0);
        if (err) fail(spng_strerror(err));
        AllocateSamples(r, name);
        if (ihdr.bit_depth == 16)
            std::memcpy(r.samples.data(), pixels.data(), r.samples.size() * 2);  // host order
        else
            std::copy(pixels.begin(), pixels.begin() + r.samples.size(), r.samples.begin());
        return r;
    }
    // Row by row, the samples growing with the rows decoded, so a header
    // claiming more than its data holds never takes the memory it claims.
    err = spng_decode_image(ctx.get(), nullptr, 0, SPNG_FMT_PNG, SPNG_DECODE_PROGRESSIVE);
    if (err) fail(spng_strerror(err));
    for (uint32_t y = 0; y < r.height; ++y) {
        err = spng_decode_row(ctx.get(), line.data(), line.size());
        if (err && !(err == SPNG_EOI && y + 1 == r.height)) fail(spng_strerror(err));
        const size_t at = r.samples.size();
        try {
            r.samples.resize(at + rowSamples);
        } catch (const std::bad_alloc&) {
            FailTooLarge(name, r.width, r.height);
        }
        uint16_t* row = r.samples.data() + at;
        if (ihdr.bit_depth == 16)
            std::memcpy(row, line.data(), rowSamples * 2);
        else
            std::copy(line.begin(), line.end(), row);
    }
    return r;
}

std::vector<uint8_t> EncodePng(const Raster& r, int level) {
    Spng ctx(spng_ctx_new(SPNG_CTX_ENCODER));
    const PngSettings settings = SettingsFor(level);
    spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
    spng_set_option(ctx.get(), SPNG_IMG_COMPRESSION_LEVEL, settings.zlibLevel);
    spng_set_option(ctx.get(), SPNG_IMG_COMPRESSION_STRATEGY, settings.strategy);
    spng_set_option(ctx.get(), SPNG_FILTER_CHOICE, settings.filters);
    spng_set_option(ctx.get(), SPNG_IMG_MEM_LEVEL, settings.memLevel);
    const bool wide = r.StoredBits() == 16;
    spng_ihdr ihdr{};
    ihdr.width = r.width;
    ihdr.height = r.height;
    ihdr.bit_depth = wide ? 16 : 8;
    ihdr.color_type = r.channels == 1   ? SPNG_COLOR_TYPE_GRAYSCALE
                      : r.channels == 3 ? SPNG_COLOR_TYPE_TRUECOLOR
                                        : SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    int err = spng_set_ihdr(ctx.get(), &ihdr);
    if (!err && r.significantBits > 0 && r.significantBits < ihdr.bit_depth) {
        // Tells readers the samples were scaled up from fewer bits.
        const uint8_t bits = static_cast<uint8_t>(r.significantBits);
        spng_sbit sbit{};
        if (r.channels == 1)
            sbit.grayscale_bits = bits;
        else
            sbit.red_bits = sbit.green_bits = sbit.blue_bits = bits;
        if (r.channels == 4) sbit.alpha_bits = bits;
        err = spng_set_sbit(ctx.get(), &sbit);
    }
    std::vector<uint8_t> narrow;
    const void* pixels = r.samples.data();  // 16-bit samples in host order
    size_t size = r.samples.size() * 2;
    if (!wide) {
        narrow.assign(r.samples.begin(), r.samples.end());
        pixels = narrow.data();
        size = narrow.size();
    }
    if (!err) err = spng_encode_image(ctx.get(), pixels, size, SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
    size_t len = 0;
    void* png = err ? nullptr : spng_get_png_buffer(ctx.get(), &len, &err);
    if (err || png == nullptr)
        throw ToolError(kOutputError, std::string("PNG encoding: ") + spng_strerror(err));
    std::vector<uint8_t> out(static_cast<uint8_t*>(png), static_cast<uint8_t*>(png) + len);
    std::free(png);
    return out;
}

}  // namespace orvex_tool
