// Cubic convolution weights, kernel parameter a = -1, evaluated in double
// precision in a fixed order so every target produces the same tables.
#include "methods/cubic/cubic_weights.h"

#include <cstddef>

#include "methods/cubic/cubic_memory.h"

namespace orvex {
namespace {

constexpr float kKernelParameter = -1.0f;

struct PhaseWeights {
    double w[4];
};

PhaseWeights KernelWeights(double t) {
    const double a = kKernelParameter;
    const double t2 = t * t;
    const double t3 = t2 * t;
    return {{(a * t2) - (a * t3), ((a + a + 3) * t2 - a * t) - (a + 2) * t3,
             (1 - (a + 3) * t2) + (a + 2) * t3, (a * t - (a * t2 + a * t2)) + a * t3}};
}

float ToSingle(double w) {
    return static_cast<float>(w);
}
int32_t ToFixed(double w) {
    return static_cast<int32_t>(w * 1024);
}

template <class T, T (*Convert)(double)>
bool BuildWeights(CubicMemory& memory, CubicWeightSet<T>& set, int32_t inSize, int32_t outSize) {
    const size_t count = size_t(outSize > 0 ? outSize : 0);
    for (int i = 0; i < 4; ++i) {
        set.table[i] = static_cast<T*>(memory.Allocate(count * sizeof(T)));
        if (set.table[i] == nullptr) return false;
    }
    int32_t p = inSize, q = outSize;
    ReduceRatio(q, p);
    // The phases repeat with the period of the reduced output size.
    for (int32_t k = 0; k < q && size_t(k) < count; ++k) {
        const int32_t n = static_cast<int32_t>((int64_t(k) * p) % q);
        const PhaseWeights pw = KernelWeights(double(n) / double(q));
        for (int i = 0; i < 4; ++i) set.table[i][k] = Convert(pw.w[i]);
    }
    for (size_t j = size_t(q); j < count; ++j)
        for (int i = 0; i < 4; ++i) set.table[i][j] = set.table[i][j % size_t(q)];
    return true;
}

}  // namespace

bool BuildSourceIndex(CubicMemory& memory, int32_t*& index, int32_t inSize, int32_t outSize) {
    const size_t count = size_t(outSize > 0 ? outSize : 0);
    index = static_cast<int32_t*>(memory.Allocate(count * sizeof(int32_t)));
    if (index == nullptr) return false;
    for (size_t x = 0; x < count; ++x)
        index[x] = static_cast<int32_t>(int64_t(x) * inSize / outSize);
    return true;
}

void ReduceRatio(int32_t& outSize, int32_t& inSize) {
    // Greatest common divisor, searched downward from the smaller value.
    int32_t i = outSize < inSize ? outSize : inSize;
    while (i >= 2) {
        if (outSize % i == 0 && inSize % i == 0) {
            outSize /= i;
            inSize /= i;
            if (i > outSize || i > inSize) i = outSize < inSize ? outSize : inSize;
        }
        --i;
    }
}

bool BuildCubicWeights(CubicMemory& memory, CubicWeightSet<float>& set, int32_t inSize,
                       int32_t outSize) {
    return BuildWeights<float, ToSingle>(memory, set, inSize, outSize);
}

bool BuildCubicWeightsFixed(CubicMemory& memory, CubicWeightSet<int32_t>& set, int32_t inSize,
                            int32_t outSize) {
    return BuildWeights<int32_t, ToFixed>(memory, set, inSize, outSize);
}

}  // namespace orvex
