// Instruction-set features of the kernels and the features this process
// runs. Code for a feature lives only in files named for it (`*_sse2.cpp`,
// `*_ssse3.cpp`, `*_avx2.cpp`, `*_avx512.cpp`, `*_vbmi.cpp`, `*_neon.cpp`),
// compiled for it; every other file is portable C++ and reaches vector code
// through the kernel tables (simd/kernel_table.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace orvex {

// Avx512 stands for the F and BW subsets (byte-masked stores), Vbmi for the
// byte permutes that came after them. Neon is AArch64's Advanced SIMD, which
// every such processor has.
enum class Isa : uint8_t { Sse2, Ssse3, Avx2, Avx512, Vbmi, Neon };

// A set of features: what an implementation needs, or what a call may run.
class SimdFeatures {
  public:
    constexpr SimdFeatures() = default;  // none: the portable loops only
    constexpr SimdFeatures(Isa f) : bits_(Bit(f)) {}
    constexpr SimdFeatures(std::initializer_list<Isa> fs) {
        for (const Isa f : fs) bits_ |= Bit(f);
    }

    constexpr bool Has(Isa f) const { return (bits_ & Bit(f)) != 0; }
    // Whether every feature `need` names is here.
    constexpr bool Covers(SimdFeatures need) const { return (need.bits_ & ~bits_) == 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr SimdFeatures Without(Isa f) const { return FromBits(bits_ & ~Bit(f)); }
    constexpr SimdFeatures operator&(SimdFeatures o) const { return FromBits(bits_ & o.bits_); }
    constexpr SimdFeatures operator|(SimdFeatures o) const { return FromBits(bits_ | o.bits_); }
    constexpr bool operator==(SimdFeatures o) const { return bits_ == o.bits_; }
    constexpr bool operator!=(SimdFeatures o) const { return bits_ != o.bits_; }

  private:
    static constexpr uint32_t Bit(Isa f) { return 1u << static_cast<unsigned>(f); }
    static constexpr SimdFeatures FromBits(uint32_t bits) {
        SimdFeatures s;
        s.bits_ = bits;
        return s;
    }
    uint32_t bits_ = 0;
};

inline constexpr SimdFeatures kPortable{};

// A value of ORVEX_SIMD and the features it lets kernels use. Each cap of a
// processor family takes in the ones before it.
struct SimdCap {
    const char* name;
    SimdFeatures allows;
};
#if defined(__aarch64__)
inline constexpr SimdCap kSimdCaps[] = {{"scalar", kPortable}, {"neon", Isa::Neon}};
#else
inline constexpr SimdCap kSimdCaps[] = {
    {"scalar", kPortable},
    {"sse2", Isa::Sse2},
    {"ssse3", {Isa::Sse2, Isa::Ssse3}},
    {"avx2", {Isa::Sse2, Isa::Ssse3, Isa::Avx2}},
    {"avx512", {Isa::Sse2, Isa::Ssse3, Isa::Avx2, Isa::Avx512, Isa::Vbmi}}};
#endif

// The features the processor has and the ORVEX_SIMD cap allows (a name not
// in kSimdCaps caps nothing). Looked up once per process; calls choose
// their kernels from it once, never per row.
SimdFeatures ProcessSimd();

// Bytes of the processor's largest data cache as it describes it, 0 where
// it does not. Looked up once per process.
size_t LastLevelCacheBytes();

}  // namespace orvex
