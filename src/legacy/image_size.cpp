// The size rule: width x height x bytes per pixel in wrapping 32-bit arithmetic.
#include "legacy/export_formats.h"
#include "orvex.h"

extern "C" ORVEX_API uint32_t ORVEX_CALL Orvex_CalcImageSize(uint32_t format, uint32_t width,
                                                             uint32_t height) {
    if (format >= orvex::kExportFormatCount) return 0;
    return width * height * orvex::PixelBytes(*orvex::FindFormat(format));
}
