// Instruction-set levels of the kernel tables and the level this process
// runs. Code for a level lives only in files named for it (`*_ssse3.cpp`,
// `*_avx2.cpp`, `*_avx512.cpp`), compiled with that level's flags; every
// other file is portable C++ and reaches vector code through the tables.
#pragma once

#include <cstddef>

namespace orvex {

// Avx512 stands for the F and BW subsets (byte-masked stores). A later ARM
// level appends here; tables gain one slot for it.
enum class SimdLevel : int { None = 0, Sse2 = 1, Ssse3 = 2, Avx2 = 3, Avx512 = 4 };
inline constexpr size_t kSimdLevelCount = 5;

// The widest level both the processor and the ORVEX_SIMD cap allow
// (scalar|sse2|ssse3|avx2|avx512; other values keep the widest). Looked up
// once per process; calls choose their kernels from it once, never per row.
SimdLevel ProcessSimdLevel();

// Whether the processor has AVX-512 byte permutes (VBMI), which the level
// does not promise; kernels that need them ask here besides the level.
bool ProcessorHasVbmi();

}  // namespace orvex
