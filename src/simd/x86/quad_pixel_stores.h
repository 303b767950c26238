// Stores of four-byte pixels (BGRA32, ARGB32) from three channel vectors of
// 8-bit samples in pixel order: the three channel bytes of each pixel are
// written and the fourth byte is neither read nor written. Each store type
// writes its pixels into one row (Store) or the same pixels into two
// (StoreBoth).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "simd/x86/x86.h"

namespace orvex::simd {
// Each kernel file gets its own copy: no out-of-line helper is shared by
// files compiled for different sets.
namespace {

// 32 pixels as two 64-byte pieces of 32-bit words s0 | s1 << 8 | s2 << 16,
// stored with the fourth byte of each word masked off.
struct QuadMaskedAvx512 {
    static constexpr size_t kPixelBytes = 4;
    // Zero-masking forms: the plain ones leave lanes "undefined" that GCC 12
    // then warns about.
    static constexpr __mmask16 kAll = 0xFFFF;
    static constexpr __mmask64 kChannels = 0x7777777777777777ULL;
    ORVEX_TARGET_AVX512 static __m512i Words(__m128i s0, __m128i s1, __m128i s2) {
        return _mm512_or_si512(
            _mm512_or_si512(_mm512_maskz_cvtepu8_epi32(kAll, s0),
                            _mm512_maskz_slli_epi32(kAll, _mm512_maskz_cvtepu8_epi32(kAll, s1), 8)),
            _mm512_maskz_slli_epi32(kAll, _mm512_maskz_cvtepu8_epi32(kAll, s2), 16));
    }
    template <size_t kRows>
    ORVEX_TARGET_AVX512 static void StoreRows(uint8_t* const (&rows)[kRows], __m256i s0, __m256i s1,
                                              __m256i s2) {
        const __m512i first = Words(_mm256_castsi256_si128(s0), _mm256_castsi256_si128(s1),
                                    _mm256_castsi256_si128(s2));
        const __m512i second =
            Words(_mm256_extracti128_si256(s0, 1), _mm256_extracti128_si256(s1, 1),
                  _mm256_extracti128_si256(s2, 1));
        for (uint8_t* out : rows) {
            _mm512_mask_storeu_epi8(out, kChannels, first);
            _mm512_mask_storeu_epi8(out + 64, kChannels, second);
        }
    }
    ORVEX_TARGET_AVX512 static void Store(uint8_t* out, __m256i s0, __m256i s1, __m256i s2) {
        StoreRows<1>({out}, s0, s1, s2);
    }
    ORVEX_TARGET_AVX512 static void StoreBoth(uint8_t* out, uint8_t* below, __m256i s0, __m256i s1,
                                              __m256i s2) {
        StoreRows<2>({out, below}, s0, s1, s2);
    }
};

// Without byte-masked stores, the three channel bytes of each pixel are
// stored as two pieces, of two bytes and of one, from general registers: a
// vector store would also write the fourth byte, which must keep the
// caller's value. The pixels are first widened to 32-bit words
// c0 | c1 << 8 | c2 << 16 on the stack; unpacking works within 128-bit
// lanes, so word vector v holds, in lane l, pixels 16l + 4v .. 16l + 4v + 3.
ORVEX_VECTOR_INLINE void StoreChannelPieces(uint8_t* out, uint64_t twoWords) {
    // Keeps the words in a general register: stores extracted from vector
    // registers one piece at a time cost twice as much.
    asm("" : "+r"(twoWords));
    const auto w0 = static_cast<uint32_t>(twoWords), w1 = static_cast<uint32_t>(twoWords >> 32);
    std::memcpy(out, &w0, 2);
    out[2] = static_cast<uint8_t>(w0 >> 16);
    std::memcpy(out + 4, &w1, 2);
    out[6] = static_cast<uint8_t>(w1 >> 16);
}

// Each pair of words goes into every row before the next is taken, so no
// row has to hold all of them in registers.
template <size_t kLanes, size_t kRows, size_t... kPair>
ORVEX_VECTOR_INLINE void StoreWordPairs(uint8_t* const (&rows)[kRows], const uint64_t* pairs,
                                        std::index_sequence<kPair...>) {
    // Pair q: word vector q / (2 kLanes), lane q / 2 % kLanes, pixels 2 (q % 2) on.
    auto store = [&](size_t pixel, uint64_t twoWords) {
        for (uint8_t* out : rows) StoreChannelPieces(out + 4 * pixel, twoWords);
    };
    (store(16 * (kPair / 2 % kLanes) + 4 * (kPair / (2 * kLanes)) + 2 * (kPair % 2), pairs[kPair]),
     ...);
}

struct QuadPiecesSsse3 {
    static constexpr size_t kPixelBytes = 4;
    template <size_t kRows>
    ORVEX_TARGET_SSSE3 static void StoreRows(uint8_t* const (&rows)[kRows], __m128i s0, __m128i s1,
                                             __m128i s2) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i lo = _mm_unpacklo_epi8(s0, s1), hi = _mm_unpackhi_epi8(s0, s1);
        const __m128i lo2 = _mm_unpacklo_epi8(s2, zero), hi2 = _mm_unpackhi_epi8(s2, zero);
        alignas(16) uint64_t pairs[8];
        auto* w = reinterpret_cast<__m128i*>(pairs);
        _mm_store_si128(w + 0, _mm_unpacklo_epi16(lo, lo2));
        _mm_store_si128(w + 1, _mm_unpackhi_epi16(lo, lo2));
        _mm_store_si128(w + 2, _mm_unpacklo_epi16(hi, hi2));
        _mm_store_si128(w + 3, _mm_unpackhi_epi16(hi, hi2));
        StoreWordPairs<1>(rows, pairs, std::make_index_sequence<8>());
    }
    ORVEX_TARGET_SSSE3 static void Store(uint8_t* out, __m128i s0, __m128i s1, __m128i s2) {
        StoreRows<1>({out}, s0, s1, s2);
    }
    ORVEX_TARGET_SSSE3 static void StoreBoth(uint8_t* out, uint8_t* below, __m128i s0, __m128i s1,
                                             __m128i s2) {
        StoreRows<2>({out, below}, s0, s1, s2);
    }
};

struct QuadPiecesAvx2 {
    static constexpr size_t kPixelBytes = 4;
    template <size_t kRows>
    ORVEX_TARGET_AVX2 static void StoreRows(uint8_t* const (&rows)[kRows], __m256i s0, __m256i s1,
                                            __m256i s2) {
        const __m256i zero = _mm256_setzero_si256();
        const __m256i lo = _mm256_unpacklo_epi8(s0, s1), hi = _mm256_unpackhi_epi8(s0, s1);
        const __m256i lo2 = _mm256_unpacklo_epi8(s2, zero), hi2 = _mm256_unpackhi_epi8(s2, zero);
        alignas(32) uint64_t pairs[16];
        auto* w = reinterpret_cast<__m256i*>(pairs);
        _mm256_store_si256(w + 0, _mm256_unpacklo_epi16(lo, lo2));
        _mm256_store_si256(w + 1, _mm256_unpackhi_epi16(lo, lo2));
        _mm256_store_si256(w + 2, _mm256_unpacklo_epi16(hi, hi2));
        _mm256_store_si256(w + 3, _mm256_unpackhi_epi16(hi, hi2));
        StoreWordPairs<2>(rows, pairs, std::make_index_sequence<16>());
    }
    ORVEX_TARGET_AVX2 static void Store(uint8_t* out, __m256i s0, __m256i s1, __m256i s2) {
        StoreRows<1>({out}, s0, s1, s2);
    }
    ORVEX_TARGET_AVX2 static void StoreBoth(uint8_t* out, uint8_t* below, __m256i s0, __m256i s1,
                                            __m256i s2) {
        StoreRows<2>({out, below}, s0, s1, s2);
    }
};

// Opaque pixels whose fourth byte follows the three channels (BGRA32,
// RGBA32 with alpha the largest byte): whole words c0 | c1 << 8 | c2 << 16
// | 0xff << 24, stored as plain vectors, so the alpha costs no pass of its
// own. Unpacking works within 128-bit lanes; the AVX2 form puts the lanes'
// words back in pixel order before storing. (AVX-512's are the bilinear
// rows' own, 64 pixels at a time.)
struct QuadOpaqueSsse3 {
    static constexpr size_t kPixelBytes = 4;
    ORVEX_TARGET_SSSE3 static void Store(uint8_t* out, __m128i s0, __m128i s1, __m128i s2) {
        const __m128i ff = _mm_set1_epi8(-1);
        const __m128i lo = _mm_unpacklo_epi8(s0, s1), hi = _mm_unpackhi_epi8(s0, s1);
        const __m128i lo2 = _mm_unpacklo_epi8(s2, ff), hi2 = _mm_unpackhi_epi8(s2, ff);
        auto* w = reinterpret_cast<__m128i*>(out);
        _mm_storeu_si128(w + 0, _mm_unpacklo_epi16(lo, lo2));
        _mm_storeu_si128(w + 1, _mm_unpackhi_epi16(lo, lo2));
        _mm_storeu_si128(w + 2, _mm_unpacklo_epi16(hi, hi2));
        _mm_storeu_si128(w + 3, _mm_unpackhi_epi16(hi, hi2));
    }
};

struct QuadOpaqueAvx2 {
    static constexpr size_t kPixelBytes = 4;
    ORVEX_TARGET_AVX2 static void Store(uint8_t* out, __m256i s0, __m256i s1, __m256i s2) {
        const __m256i ff = _mm256_set1_epi8(-1);
        const __m256i lo = _mm256_unpacklo_epi8(s0, s1), hi = _mm256_unpackhi_epi8(s0, s1);
        const __m256i lo2 = _mm256_unpacklo_epi8(s2, ff), hi2 = _mm256_unpackhi_epi8(s2, ff);
        // Lane l of these: pixels 16l + 0..3, 4..7, 8..11, 12..15.
        const __m256i w0 = _mm256_unpacklo_epi16(lo, lo2), w1 = _mm256_unpackhi_epi16(lo, lo2);
        const __m256i w2 = _mm256_unpacklo_epi16(hi, hi2), w3 = _mm256_unpackhi_epi16(hi, hi2);
        auto* w = reinterpret_cast<__m256i*>(out);
        _mm256_storeu_si256(w + 0, _mm256_permute2x128_si256(w0, w1, 0x20));
        _mm256_storeu_si256(w + 1, _mm256_permute2x128_si256(w2, w3, 0x20));
        _mm256_storeu_si256(w + 2, _mm256_permute2x128_si256(w0, w1, 0x31));
        _mm256_storeu_si256(w + 3, _mm256_permute2x128_si256(w2, w3, 0x31));
    }
};

}  // namespace
}  // namespace orvex::simd
