// Instruction-set levels of the kernel tables and the level this process
// runs. Code for a level lives only in files named for it (`*_ssse3.cpp`,
// `*_avx2.cpp`, `*_avx512.cpp`, `*_neon.cpp`), compiled with that level's
// flags; every other file is portable C++ and reaches vector code through
// the tables.
#pragma once

#include <cstddef>

namespace orvex {

// Avx512 stands for the F and BW subsets (byte-masked stores). Neon is
// AArch64's Advanced SIMD, which every such processor has; an ARM process
// runs it or nothing, so the x86 slots below it hold no kernels there.
enum class SimdLevel : int { None = 0, Sse2 = 1, Ssse3 = 2, Avx2 = 3, Avx512 = 4, Neon = 5 };
inline constexpr size_t kSimdLevelCount = 6;

// The widest level both the processor and the ORVEX_SIMD cap allow
// (scalar|sse2|ssse3|avx2|avx512|neon; other values keep the widest). Looked up
// once per process; calls choose their kernels from it once, never per row.
SimdLevel ProcessSimdLevel();

// Whether the processor has AVX-512 byte permutes (VBMI), which the level
// does not promise; kernels that need them ask here besides the level.
bool ProcessorHasVbmi();

}  // namespace orvex
