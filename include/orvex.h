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

/* Class queries: 1 if the format belongs to the class, else 0. */
ORVEX_API uint8_t ORVEX_CALL Orvex_isMonochrome(uint32_t format);
ORVEX_API uint8_t ORVEX_CALL Orvex_isBayer(uint32_t format);
ORVEX_API uint8_t ORVEX_CALL Orvex_isColor(uint32_t format);
ORVEX_API uint8_t ORVEX_CALL Orvex_is3Color(uint32_t format);

/* width x height x bytes per pixel, wrapping at 32 bits; 0 for unknown formats. */
ORVEX_API uint32_t ORVEX_CALL Orvex_CalcImageSize(uint32_t format, uint32_t width, uint32_t height);

/* Modal message box with the caption "OrvexScope"; returns the box's result
 * (1 once acknowledged, 0 if it could not be shown). */
ORVEX_API int32_t ORVEX_CALL Orvex_ShowMSG(void* owner, const char* text);

/* Demosaics src into dst (dst->data and dst->format set by the caller).
 * Fills dst->width, height, bitDepth and size first. */
ORVEX_API int32_t ORVEX_CALL Orvex_BayerToRgb(uint32_t method, const ImageDesc* src,
                                              ImageDesc* dst);

/* Vertical 2x zoom of a Bayer mosaic; only mode 2 (low 8 bits) is accepted.
 * Returns 1 for a refused mode, else 0. */
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
