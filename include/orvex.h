/*
 * orvex: Bayer mosaic to colour image conversion with a C ABI.
 *
 * All descriptors and pixel buffers belong to the caller. The destination
 * buffer must hold at least Orvex_CalcImageSize(format, width, height) bytes.
 */
#ifndef ORVEX_H
#define ORVEX_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define ORVEX_CALL __stdcall
#else
#define ORVEX_CALL
#endif

#if defined(_WIN32)
/* The Windows export table comes from a module-definition file. */
#define ORVEX_API
#else
#define ORVEX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Caller-owned image descriptor. 32 bytes on a 32-bit target; on a 64-bit
 * target the fields keep their order with natural alignment (40 bytes). */
typedef struct ImageDesc {
    void* data;            /* row 0, column 0 of the pixel buffer */
    uint32_t reserved;     /* never read or written */
    uint32_t format;       /* PixelFormat code */
    uint32_t width;        /* pixels per row */
    uint32_t height;       /* rows */
    uint32_t size;         /* buffer bytes by the size rule; set by Orvex_BayerToRgb */
    uint16_t bitDepth;     /* significant bits per sample */
    uint32_t bayerPattern; /* BayerPattern code of a mosaic */
} ImageDesc;

typedef enum PixelFormat {
    Raw8 = 0,
    Raw16 = 1,
    Mono8 = 2,
    Mono16 = 3,
    Bayer8 = 4,
    Bayer16 = 5,
    PlanarRGB24 = 6,
    PlanarRGB48 = 7,
    BGR24 = 8,
    ARGB32 = 9,
    RGB48 = 10,
    BGRA32 = 11,
    RGB24 = 12
} PixelFormat;

/* Colours of the 2x2 cell at rows 0-1, columns 0-1. */
typedef enum BayerPattern { RGGB = 0, GRBG = 1, GBRG = 2, BGGR = 3 } BayerPattern;

typedef enum DemosaicMethod {
    MethodBilinear = 1,
    MethodBlock = 2,
    MethodBicubicFloat = 3,
    MethodBicubicFixed = 4
} DemosaicMethod;

/* Class queries: 1 if the format belongs to the class, else 0. Any code is
 * accepted; codes above 12 belong to no class. */
ORVEX_API uint8_t ORVEX_CALL Orvex_isMonochrome(uint32_t format);
ORVEX_API uint8_t ORVEX_CALL Orvex_isBayer(uint32_t format);
ORVEX_API uint8_t ORVEX_CALL Orvex_isColor(uint32_t format);
ORVEX_API uint8_t ORVEX_CALL Orvex_is3Color(uint32_t format);

/* The size rule: width x height x bytes per pixel, wrapping at 32 bits; 0 for
 * codes above 12. Any values are accepted. */
ORVEX_API uint32_t ORVEX_CALL Orvex_CalcImageSize(uint32_t format, uint32_t width, uint32_t height);

/* Modal message box with the caller's owner window (or null) and text, the
 * caption "OrvexScope" and one OK button; returns the box's result (1 once
 * acknowledged, 0 if it could not be shown). A null text shows an empty
 * message. Without a platform message box the text goes to standard error as
 * "OrvexScope: <text>" and the result is 1, or 0 if it could not be written. */
ORVEX_API int32_t ORVEX_CALL Orvex_ShowMSG(void* owner, const char* text);

/* Demosaics src into dst; the caller sets dst->data and dst->format.
 * First copies src->bitDepth, width and height into dst and stores the size
 * rule's result for dst->format in dst->size, whatever the method.
 *
 * Contract: src->data holds width x height samples of the width the method
 * reads (methods 1 and 2: 16-bit for RGB48 and PlanarRGB48, else 8-bit;
 * methods 3 and 4: by src->format, Bayer8 or Bayer16), dst->data holds
 * dst->size bytes, and the two do not overlap.
 *
 * Methods 1 (bilinear) and 2 (block) write formats 6 to 12 and return 0;
 * they read width and height as their low 16 bits and write nothing for
 * another format, a pattern above 3, a width or height below 3 (bilinear) or
 * 2 (block), or an image whose size rule wraps. Methods 3 and 4 (cubic)
 * write formats 8 to 12 and return 0, or return 1 and write nothing for a
 * source that is not Bayer8 or Bayer16, another destination format, a
 * pattern above 3, a width or height below 2, a width of 32768 or more, a
 * height of 65536 or more, a wrapping size rule or a failed allocation; one
 * cubic conversion runs at a time per process, others wait for it. Any other
 * method writes no pixel and returns method - 1 (never 0). */
ORVEX_API int32_t ORVEX_CALL Orvex_BayerToRgb(uint32_t method, const ImageDesc* src,
                                              ImageDesc* dst);

/* Vertical 2x zoom of a Bayer8 or Bayer16 mosaic into a mosaic of the same
 * pattern and twice the rows. Only mode 2 (low 8 bits) is accepted: another
 * mode returns 1 and touches nothing; mode 2 returns 0. No descriptor field
 * is written.
 *
 * Contract: dst->width equals src->width and dst->height twice src->height;
 * src->data holds src->width x src->height samples, dst->data
 * dst->width x dst->height samples, of the source's sample width. Nothing
 * is written for another source format, a destination of any other size, or
 * a destination width or height of 65536 or more. A pattern above 3, a
 * width below 5 or a height below 6 copies the source rows only. */
ORVEX_API int32_t ORVEX_CALL Orvex_BayerZoomVert(uint32_t mode, const ImageDesc* src,
                                                 const ImageDesc* dst);

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
#include <cstddef>
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(ImageDesc) == 32, "ImageDesc is 32 bytes on a 32-bit target");
static_assert(offsetof(ImageDesc, reserved) == 4 && offsetof(ImageDesc, format) == 8 &&
                  offsetof(ImageDesc, width) == 12 && offsetof(ImageDesc, height) == 16 &&
                  offsetof(ImageDesc, size) == 20 && offsetof(ImageDesc, bitDepth) == 24 &&
                  offsetof(ImageDesc, bayerPattern) == 28,
              "32-bit ImageDesc layout");
#else
static_assert(sizeof(ImageDesc) == 40, "ImageDesc is 40 bytes on a 64-bit target");
static_assert(offsetof(ImageDesc, reserved) == 8 && offsetof(ImageDesc, format) == 12 &&
                  offsetof(ImageDesc, width) == 16 && offsetof(ImageDesc, height) == 20 &&
                  offsetof(ImageDesc, size) == 24 && offsetof(ImageDesc, bitDepth) == 28 &&
                  offsetof(ImageDesc, bayerPattern) == 32,
              "64-bit ImageDesc layout");
#endif
#endif

#endif /* ORVEX_H */
