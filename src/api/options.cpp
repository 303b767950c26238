#include "api/options.h"

#include <algorithm>
#include <cstring>

namespace orvex::api {

int ReadOptions(const orvex_options* given, orvex_options& out) {
    orvex_init_options(&out);
    if (given == nullptr) return ORVEX_OK;
    if (given->size < sizeof(given->size)) return ORVEX_ERROR_ARGUMENT;
    // Fields past what the caller knows keep their defaults; fields past
    // what this library knows are not read.
    const size_t known = std::min<size_t>(given->size, sizeof(orvex_options));
    std::memcpy(&out, given, known);
    out.size = sizeof(orvex_options);
    return ORVEX_OK;
}

}  // namespace orvex::api

extern "C" ORVEX2_API void orvex_init_options(orvex_options* options) {
    if (options == nullptr) return;
    *options = {};
    options->size = sizeof(orvex_options);
    options->threads = 0;
    options->alpha = orvex::api::kLargestAlpha;
    for (float& g : options->gain) g = 1.0f;
    for (size_t i = 0; i < 9; ++i) options->matrix[i] = i % 4 == 0 ? 1.0f : 0.0f;
    options->transfer = ORVEX_TRANSFER_LINEAR;
}
