// The interface never lets an exception out: the only ones the library can
// meet are failed allocations.
#pragma once

#include "orvex2.h"

namespace orvex::api {

template <class Call>
int Guarded(Call call) {
    try {
        return call();
    } catch (...) {
        return ORVEX_ERROR_MEMORY;
    }
}

}  // namespace orvex::api
