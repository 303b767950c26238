// The options a call runs with: the caller's, read no further than the size
// it was compiled with, over the defaults.
#pragma once

#include "orvex2.h"

namespace orvex::api {

inline constexpr uint32_t kLargestAlpha = 0xFFFFFFFFu;

// ORVEX_OK and the options, or ORVEX_ERROR_ARGUMENT for a size too small to
// hold the size field itself.
int ReadOptions(const orvex_options* given, orvex_options& out);

}  // namespace orvex::api
