// Sample access for 8- and 16-bit kernels. 16-bit samples are native-order
// and may sit at any byte address (caller buffers are not 2-byte aligned),
// so they are moved with memcpy, which compiles to plain loads and stores.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__GNUC__)
#define ORVEX_INLINE inline __attribute__((always_inline))
#else
#define ORVEX_INLINE inline
#endif

namespace orvex {

struct Sample8 {
    static constexpr size_t kBytes = 1;
    static uint32_t Load(const uint8_t* p, size_t i) { return p[i]; }
    static void Store(uint8_t* p, size_t i, uint32_t v) { p[i] = static_cast<uint8_t>(v); }
};

struct Sample16 {
    static constexpr size_t kBytes = 2;
    static uint32_t Load(const uint8_t* p, size_t i) {
        uint16_t v;
        std::memcpy(&v, p + 2 * i, 2);
        return v;
    }
    static void Store(uint8_t* p, size_t i, uint32_t v) {
        const uint16_t s = static_cast<uint16_t>(v);
        std::memcpy(p + 2 * i, &s, 2);
    }
};

}  // namespace orvex
