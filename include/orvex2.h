/*
 * orvex2: Bayer mosaic to colour image conversion, the second interface.
 *
 * Images are views of caller memory: rows anywhere, reached through a row
 * stride (negative for bottom-up images), planes through a plane stride.
 * Every destination pixel is written, alpha included; nothing outside the
 * described views is read or written; on any error nothing is written.
 * Every function may be called from any number of threads at once.
 */
#ifndef ORVEX2_H
#define ORVEX2_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#if defined(ORVEX2_BUILDING)
#define ORVEX2_API __declspec(dllexport)
#elif defined(ORVEX2_STATIC)
#define ORVEX2_API
#else
#define ORVEX2_API __declspec(dllimport)
#endif
#else
#define ORVEX2_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Sample formats. Mosaics hold one sample per site of a 2 x 2 colour
 * pattern; outputs hold colour pixels. 16-bit samples are native-endian. */
typedef enum orvex_format {
    ORVEX_MOSAIC8 = 1,
    ORVEX_MOSAIC16 = 2,
    /* Packed mosaics, as cameras send them: each row starts at a byte
     * boundary; `bits` is 0 or the packing's N. */
    ORVEX_MOSAIC10_MIPI =
        3,                   /* MIPI CSI-2 RAW10: 4 samples in 5 bytes, bytes 0-3 bits 9..2,
                                byte 4 the low 2 bits of samples 0-3 from bit 0 up; width % 4 == 0 */
    ORVEX_MOSAIC12_MIPI = 4, /* RAW12: 2 samples in 3 bytes, bytes 0-1 bits 11..4, byte 2 the
                                low 4 bits of sample 0 then 1; width % 2 == 0 */
    ORVEX_MOSAIC14_MIPI = 5, /* RAW14: 4 samples in 7 bytes, bytes 0-3 bits 13..6, bytes 4-6 the
                                low 6 bits of samples 0-3 from bit 0 up; width % 4 == 0 */
    ORVEX_MOSAIC10_PFNC = 6, /* GenICam BayerXX10p: sample i in bits 10i .. 10i + 9 of the row's
                                little-endian bit stream; ceil(10 width / 8) bytes a row */
    ORVEX_MOSAIC12_PFNC = 7, /* BayerXX12p: the same with 12 bits */
    ORVEX_MOSAIC12_GIGE = 8, /* GigE Vision BayerXX12Packed: byte 0 = s0 bits 11..4, byte 1 =
                                s1 bits 3..0 << 4 | s0 bits 3..0, byte 2 = s1 bits 11..4;
                                width % 2 == 0 */
    ORVEX_MOSAIC16_BE = 9,   /* 16-bit samples, high byte first on any host; `bits` 0 or 9..16
                                as for ORVEX_MOSAIC16; rows are byte-swapped as they are read */
    ORVEX_RGB24 = 16,        /* R, G, B bytes */
    ORVEX_BGR24 = 17,        /* B, G, R bytes */
    ORVEX_RGBA32 = 18,       /* R, G, B, alpha bytes */
    ORVEX_BGRA32 = 19,       /* B, G, R, alpha bytes */
    ORVEX_ARGB32 = 20,       /* alpha, R, G, B bytes */
    ORVEX_RGB48 = 21,        /* R, G, B 16-bit samples */
    ORVEX_PLANAR_RGB24 = 22, /* three planes of bytes: R, G, B */
    ORVEX_PLANAR_RGB48 = 23, /* three planes of 16-bit samples: R, G, B */
    ORVEX_GRAY8 = 24,        /* (4899 R + 9617 G + 1868 B + 8192) >> 14 */
    ORVEX_GRAY16 = 25,       /* the same, of 16-bit samples */
    ORVEX_ABGR32 = 26,       /* alpha, B, G, R bytes */
    ORVEX_RGBA64 = 27,       /* R, G, B, alpha 16-bit samples */
    /* Native floats, each the output's value divided by its largest (255
     * for an 8-bit mosaic, else 2^bits - 1), not rounded: 0 .. 1. */
    ORVEX_RGB_F32 = 28,        /* R, G, B floats */
    ORVEX_PLANAR_RGB_F32 = 29, /* three planes of floats: R, G, B */
    ORVEX_GRAY_F32 = 30        /* (4899 R + 9617 G + 1868 B) / 16384 */
} orvex_format;

/* Colours of a mosaic view's top-left 2 x 2 cell, row by row. */
typedef enum orvex_pattern {
    ORVEX_RGGB = 0,
    ORVEX_GRBG = 1,
    ORVEX_GBRG = 2,
    ORVEX_BGGR = 3
} orvex_pattern;

/* Methods. Codes are contiguous from 1: orvex_method_name lists them. */
typedef enum orvex_method {
    ORVEX_BILINEAR = 1,    /* rounded means of the nearest sites of each colour */
    ORVEX_BLOCK = 2,       /* each 2 x 2 cell's colours for all four of its pixels */
    ORVEX_CUBIC_FLOAT = 3, /* separable cubic enlargement of the four colour planes */
    ORVEX_CUBIC_FIXED = 4, /* the same in fixed point */
    ORVEX_MHC = 5,         /* gradient-corrected linear interpolation: Malvar, He and Cutler,
                              "High-quality linear interpolation for demosaicing of
                              Bayer-patterned color images", ICASSP 2004 */
    ORVEX_DLMMSE = 6,      /* directional LMMSE estimation of colour differences: Zhang and Wu,
                              "Color demosaicking via directional linear minimum mean
                              square-error estimation", IEEE Trans. Image Processing 14(12), 2005 */
    ORVEX_RI = 7           /* residual interpolation: Kiku, Monno, Tanaka and Okutomi, "Residual
                              interpolation for color image demosaicking", ICIP 2013; its row and
                              column estimates of green fused by the LMMSE rule of Zhang and Wu,
                              kept sharp where the colour differences carry the detail;
                              red and blue by the minimized-Laplacian form of Kiku, Monno, Tanaka
                              and Okutomi, "Minimized-Laplacian residual interpolation for color
                              image demosaicking", SPIE 2014, their residuals interpolated along
                              green's edges */
} orvex_method;

/* Transfer curves of the output (orvex_options.transfer). */
typedef enum orvex_transfer {
    ORVEX_TRANSFER_LINEAR = 0, /* values as the matrix gives them */
    ORVEX_TRANSFER_SRGB = 1    /* the IEC 61966-2-1 curve */
} orvex_transfer;

typedef enum orvex_status {
    ORVEX_OK = 0,
    ORVEX_ERROR_ARGUMENT = -1,    /* null pointer, unknown code, bits out of range */
    ORVEX_ERROR_SIZE = -2,        /* sizes, strides, planes or region that do not fit */
    ORVEX_ERROR_UNSUPPORTED = -3, /* a valid combination that is not offered */
    ORVEX_ERROR_OVERLAP = -4,     /* source and destination bytes overlap */
    ORVEX_ERROR_MEMORY = -5       /* working memory could not be had */
} orvex_status;

typedef struct orvex_image {
    void* data; /* first byte of row 0 (planar layouts: of the first plane) */
    ptrdiff_t
        stride; /* bytes from one row start to the next; negative = bottom-up; 0 = rows packed */
    ptrdiff_t
        plane_stride; /* planar layouts: bytes from one plane to the next; 0 = |stride| x height */
    uint32_t width, height;
    uint32_t format;  /* orvex_format */
    uint32_t pattern; /* mosaics: colours of the view's top-left 2 x 2 cell (orvex_pattern) */
    uint32_t bits;    /* 16-bit mosaics: significant bits, 9..16, in the low bits; 0 = 16.
                         8-bit mosaics: 0 or 8; packed mosaics: 0 or their N. Ignored for
                         outputs. */
} orvex_image;

typedef struct orvex_options {
    uint32_t size; /* sizeof(orvex_options) as the caller was compiled; set by orvex_init_options */
    uint32_t threads; /* 0 = one per available core (default), 1 = the calling thread only, N = at
                         most N */
    uint32_t alpha;   /* alpha of four-channel layouts, in the output sample's range (larger values
                         are the largest); default: the largest value */
    /* Pre-processing of the mosaic's samples before interpolation, per site
     * of the source view's top-left 2 x 2 cell (top-left, top-right,
     * bottom-left, bottom-right): with M = 2^bits - 1, each sample s becomes
     * clamp(round((s - black) * gain * M / (white - black)), 0, M). */
    uint32_t black[4]; /* black levels; default 0 */
    uint32_t white;    /* saturation level; 0 (default) = M */
    float gain[4];     /* white-balance multipliers; default 1 */
    /* Colour of each output pixel, on the way to the output layout: the
     * camera RGB (R, G, B) / M times the matrix, clamped to 0 .. 1, through
     * the transfer curve, then in the output's range (M for 16-bit samples,
     * 255 for bytes), rounded; floats hold the curve's value, 0 .. 1. The
     * identity matrix and the linear curve (the defaults) leave samples as
     * they are. */
    float matrix[9];   /* row-major: output R = m[0] R + m[1] G + m[2] B, ... */
    uint32_t transfer; /* orvex_transfer */
    /* 16-bit outputs: 1 = full-range samples, a value v of the mosaic's
     * `bits` (8 for 8-bit mosaics) widened to round(v * 65535 / (2^bits - 1))
     * exactly (v * 257 from bytes), and the colour stage's range 0 .. 65535;
     * 0 (default) = the mosaic's own range. Other outputs ignore it, and so
     * does orvex_unpack. */
    uint32_t full_range;
    /* later fields are appended; the library reads only the first `size` bytes */
} orvex_options;

/* The defaults, with `size` set. */
ORVEX2_API void orvex_init_options(orvex_options* options);

/* Converts the whole mosaic `src` into `dst` of the same width and height.
 * Samples keep their values where the widths match; an 8-bit output of a
 * wider mosaic takes min(255, (v + 2^(bits-9)) >> (bits - 8)); a 16-bit
 * output of an 8-bit mosaic holds the values unscaled. Neighbours beyond
 * the image's edges are read by reflection about the edge sample (x = -1
 * reads x = 1), which keeps the colour pattern. options may be NULL.
 * Returns ORVEX_OK or a negative orvex_status. */
ORVEX2_API int orvex_demosaic(const orvex_image* src, const orvex_image* dst, uint32_t method,
                              const orvex_options* options);

/* Converts the dst->width x dst->height region of `src` whose top-left pixel
 * is (x, y): the pixels of the whole conversion there, neighbours outside
 * the region read from `src` where they exist. Tiles of any size and offset
 * assembled side by side equal the whole conversion byte for byte. */
ORVEX2_API int orvex_demosaic_region(const orvex_image* src, uint32_t x, uint32_t y,
                                     const orvex_image* dst, uint32_t method,
                                     const orvex_options* options);

/* Unpacks any mosaic into ORVEX_MOSAIC16 of the same size and pattern,
 * with the options' pre-processing (black, white, gains) applied: for
 * callers who store or inspect raw frames. Samples keep the source's
 * significant bits. */
ORVEX2_API int orvex_unpack(const orvex_image* src, const orvex_image* dst,
                            const orvex_options* options);

/* Doubles the rows of a mosaic: source rows 2k and 2k + 1 become rows 4k
 * and 4k + 3, the rows between are interpolated site by site. dst has the
 * source's format, pattern and width and twice its rows. Packed mosaics
 * (and big-endian ones) are ORVEX_ERROR_UNSUPPORTED: unpack them first. */
ORVEX2_API int orvex_zoom_vertical(const orvex_image* src, const orvex_image* dst,
                                   const orvex_options* options);

/* Bytes of a packed image of a format (planar: all three planes); 0 for an
 * unknown format or a size beyond the address space. */
ORVEX2_API size_t orvex_image_bytes(uint32_t format, uint32_t width, uint32_t height);

/* Defined where the functions below exist. */
#define ORVEX_HAVE_FORMAT_LIST 1

/* The index-th format of the library's table (index 0, 1, ...), or 0 past the end:
 * callers list formats from the library. Codes themselves are not contiguous. */
ORVEX2_API uint32_t orvex_format_at(uint32_t index);

/* The format's name, or NULL for an unknown code. Names: "mosaic8", "mosaic16",
 * "raw10-mipi", "raw12-mipi", "raw14-mipi", "raw10-pfnc", "raw12-pfnc", "raw12-gige",
 * "mosaic16-be",
 * "rgb24", "bgr24", "rgba32", "bgra32", "argb32", "rgb48", "planar-rgb24",
 * "planar-rgb48", "gray8", "gray16", "abgr32", "rgba64", "rgb-f32", "planar-rgb-f32",
 * "gray-f32". */
ORVEX2_API const char* orvex_format_name(uint32_t format);

/* The pattern's name ("rggb", "grbg", "gbrg", "bggr"), or NULL for an unknown code. */
ORVEX2_API const char* orvex_pattern_name(uint32_t pattern);

/* Facts of a format, for callers that size buffers or pick layouts. */
typedef struct orvex_format_facts {
    uint32_t mosaic;    /* 1: a mosaic (source); 0: an output layout */
    uint32_t bits;      /* mosaics: bits of a stored sample (8, 16) or the packing's N
                           (10, 12, 14); outputs: bits of a sample (8, 16; 32 = float) */
    uint32_t channels;  /* samples of a pixel: 1 (mosaics, grey), 3 or 4 */
    uint32_t planar;    /* 1: three planes */
    uint32_t has_alpha; /* 1: a four-channel layout whose fourth sample is alpha */
} orvex_format_facts;

/* Fills *facts for a known format: ORVEX_OK, or ORVEX_ERROR_ARGUMENT (unknown code or NULL). */
ORVEX2_API int orvex_format_query(uint32_t format, orvex_format_facts* facts);

/* The method's name, or NULL for an unknown code: callers list methods
 * from the library. */
ORVEX2_API const char* orvex_method_name(uint32_t method);

/* What a status means, in one sentence. */
ORVEX2_API const char* orvex_status_text(int status);

/* The library's version, "major.minor.patch". */
ORVEX2_API const char* orvex_version(void);

#ifdef __cplusplus
}
#endif

#endif /* ORVEX2_H */
