// Pixel-format class queries.
#include "orvex.h"

extern "C" {

ORVEX_API uint8_t ORVEX_CALL Orvex_isMonochrome(uint32_t format) {
    return format == Mono8 || format == Mono16;
}

ORVEX_API uint8_t ORVEX_CALL Orvex_isBayer(uint32_t format) {
    return format == Bayer8 || format == Bayer16;
}

ORVEX_API uint8_t ORVEX_CALL Orvex_isColor(uint32_t format) {
    return format >= Bayer8 && format <= RGB24;
}

ORVEX_API uint8_t ORVEX_CALL Orvex_is3Color(uint32_t format) {
    return format >= PlanarRGB24 && format <= RGB24;
}

}  // extern "C"
