// The methods a caller can name: code, name, and how one conversion runs.
// The interfaces, the tool and the bindings list methods from here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/method_run.h"

namespace orvex {

struct MethodEntry {
    uint32_t code;
    const char* name;
    MethodShape shape;
};

// The entry of a code, or null.
const MethodEntry* FindMethod(uint32_t code);

}  // namespace orvex
