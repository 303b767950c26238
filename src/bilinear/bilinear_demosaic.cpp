#include "bilinear/bilinear_demosaic.h"

namespace orvex {

int32_t BilinearDemosaic(const ImageDesc&, const ImageDesc&) { return 0; }

}  // namespace orvex
