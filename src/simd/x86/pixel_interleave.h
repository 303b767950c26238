// Interleaving of three channel vectors into packed three-sample pixels
// (8- or 16-bit samples), for the vector row kernels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "simd/x86/x86.h"

namespace orvex::simd {
// Each kernel file gets its own copy: no out-of-line helper is shared by
// files compiled for different sets.
namespace {

// Shuffle masks that gather 16-byte pieces of packed pixels from three
// channel vectors: masks[piece][channel][byte], 0x80 for bytes of other channels.
struct InterleaveMasks {
    uint8_t m[3][3][16];
};

constexpr InterleaveMasks MakeInterleaveMasks(size_t sampleBytes) {
    InterleaveMasks t{};
    for (size_t piece = 0; piece < 3; ++piece)
        for (size_t i = 0; i < 16; ++i) {
            const size_t k = 16 * piece + i;  // byte of the 48 the pieces cover
            const size_t sample = k / sampleBytes, channel = sample % 3;
            const size_t from = (sample / 3) * sampleBytes + k % sampleBytes;
            for (size_t ch = 0; ch < 3; ++ch)
                t.m[piece][ch][i] = static_cast<uint8_t>(ch == channel ? from : 0x80);
        }
    return t;
}

// Masks for pixels taken in pairs from 16-bit lanes: both pixels of lane j
// read its byte 2j + offset[channel] (8-bit samples only).
constexpr InterleaveMasks MakePairMasks(const size_t (&offset)[3]) {
    InterleaveMasks t{};
    for (size_t piece = 0; piece < 3; ++piece)
        for (size_t i = 0; i < 16; ++i) {
            const size_t k = 16 * piece + i, pixel = k / 3, channel = k % 3;
            const size_t from = 2 * (pixel / 2) + offset[channel];
            for (size_t ch = 0; ch < 3; ++ch)
                t.m[piece][ch][i] = static_cast<uint8_t>(ch == channel ? from : 0x80);
        }
    return t;
}

alignas(16) inline constexpr InterleaveMasks kMasks8 = MakeInterleaveMasks(1);
alignas(16) inline constexpr InterleaveMasks kMasks16 = MakeInterleaveMasks(2);

ORVEX_VECTOR_INLINE __m128i Mask(const InterleaveMasks& t, size_t piece, size_t ch) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(t.m[piece][ch]));
}

ORVEX_TARGET_AVX2 ORVEX_VECTOR_INLINE __m256i Mask2(const InterleaveMasks& t, size_t piece,
                                                    size_t ch) {
    return _mm256_broadcastsi128_si256(Mask(t, piece, ch));
}

// 16 / kE pixels from s0, s1, s2 (the samples in pixel order, or as the
// masks pick them) to 48 bytes, as three vectors in memory order.
ORVEX_TARGET_SSSE3 ORVEX_VECTOR_INLINE void Pixels3Ssse3(__m128i (&v)[3], __m128i s0, __m128i s1,
                                                         __m128i s2, const InterleaveMasks& t) {
    for (size_t piece = 0; piece < 3; ++piece)
        v[piece] = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(s0, Mask(t, piece, 0)),
                                             _mm_shuffle_epi8(s1, Mask(t, piece, 1))),
                                _mm_shuffle_epi8(s2, Mask(t, piece, 2)));
}

// 32 / kE pixels to 96 bytes. Each 128-bit half shuffles its own pixels into
// three pieces; the halves' pieces are then put in order.
ORVEX_TARGET_AVX2 ORVEX_VECTOR_INLINE void Pixels3Avx2(__m256i (&v)[3], __m256i s0, __m256i s1,
                                                       __m256i s2, const InterleaveMasks& t) {
    __m256i p[3];
    for (size_t piece = 0; piece < 3; ++piece)
        p[piece] = _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(s0, Mask2(t, piece, 0)),
                                                   _mm256_shuffle_epi8(s1, Mask2(t, piece, 1))),
                                   _mm256_shuffle_epi8(s2, Mask2(t, piece, 2)));
    v[0] = _mm256_permute2x128_si256(p[0], p[1], 0x20);
    v[1] = _mm256_permute2x128_si256(p[2], p[0], 0x30);
    v[2] = _mm256_permute2x128_si256(p[1], p[2], 0x31);
}

template <size_t kE>
ORVEX_TARGET_SSSE3 ORVEX_VECTOR_INLINE void Interleave3Ssse3(uint8_t* out, __m128i s0, __m128i s1,
                                                             __m128i s2) {
    __m128i v[3];
    Pixels3Ssse3(v, s0, s1, s2, kE == 1 ? kMasks8 : kMasks16);
    for (size_t i = 0; i < 3; ++i) _mm_storeu_si128(reinterpret_cast<__m128i*>(out) + i, v[i]);
}

template <size_t kE>
ORVEX_TARGET_AVX2 ORVEX_VECTOR_INLINE void Interleave3Avx2(uint8_t* out, __m256i s0, __m256i s1,
                                                           __m256i s2) {
    __m256i v[3];
    Pixels3Avx2(v, s0, s1, s2, kE == 1 ? kMasks8 : kMasks16);
    for (size_t i = 0; i < 3; ++i) _mm256_storeu_si256(reinterpret_cast<__m256i*>(out) + i, v[i]);
}

}  // namespace
}  // namespace orvex::simd
