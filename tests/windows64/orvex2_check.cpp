// Runs the second interface's cases through the 64-bit DLL and compares
// every digest with the native build's.
#include <cstdio>

#include "orvex2_cases.h"

namespace {

const uint64_t kExpected[] = {
#include "expected_digests2.inc"
};

}  // namespace

int main() {
    size_t index = 0, failures = 0;
    orvex2cases::ForEachCase([&](const orvex2cases::Case& c) {
        const uint64_t digest = orvex2cases::RunCase(c);
        if (index >= sizeof kExpected / sizeof kExpected[0] || digest != kExpected[index]) {
            std::printf("FAILED: case %zu (method %u, %u -> %u)\n", index, c.method, c.srcFormat,
                        c.dstFormat);
            ++failures;
        }
        ++index;
    });
    if (index != sizeof kExpected / sizeof kExpected[0]) {
        std::printf("FAILED: %zu cases, %zu digests\n", index,
                    sizeof kExpected / sizeof kExpected[0]);
        ++failures;
    }
    std::printf("%zu cases, %zu failures\n", index, failures);
    return failures == 0 ? 0 : 1;
}
