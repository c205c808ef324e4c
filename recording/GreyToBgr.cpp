#include "recording/GreyToBgr.h"

#include "pipeline/CpuFeatures.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace orbicap {

namespace {

void ExpandScalar(const std::uint8_t* grey, std::size_t count, std::uint8_t* bgr) {
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint8_t g = grey[k];
        bgr[3 * k] = g;
        bgr[3 * k + 1] = g;
        bgr[3 * k + 2] = g;
    }
}

void ReduceScalar(std::uint8_t* words, std::size_t count, std::uint8_t* bgr) {
    for (std::size_t k = 0; k < count; ++k) {
        const unsigned value = (words[2 * k] | (words[2 * k + 1] << 8u)) >> 2u;
        words[2 * k] = static_cast<std::uint8_t>(value);
        words[2 * k + 1] = static_cast<std::uint8_t>(value >> 8u);
        const std::uint8_t g = static_cast<std::uint8_t>(value);
        bgr[3 * k] = g;
        bgr[3 * k + 1] = g;
        bgr[3 * k + 2] = g;
    }
}

#if defined(__x86_64__)
// Sixteen grey samples become 48 bytes through three byte shuffles; a frame
// then costs about as much as copying the rendered bytes.
__attribute__((target("ssse3"))) inline void StoreExpanded(__m128i grey, std::uint8_t* bgr) {
    const __m128i first = _mm_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5);
    const __m128i second = _mm_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10);
    const __m128i third =
        _mm_setr_epi8(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15);
    auto* out = reinterpret_cast<__m128i*>(bgr);
    _mm_storeu_si128(out, _mm_shuffle_epi8(grey, first));
    _mm_storeu_si128(out + 1, _mm_shuffle_epi8(grey, second));
    _mm_storeu_si128(out + 2, _mm_shuffle_epi8(grey, third));
}

__attribute__((target("ssse3"))) void ExpandShuffled(const std::uint8_t* grey, std::size_t count,
                                                     std::uint8_t* bgr) {
    std::size_t k = 0;
    for (; k + 16 <= count; k += 16)
        StoreExpanded(_mm_loadu_si128(reinterpret_cast<const __m128i*>(grey + k)), bgr + 3 * k);
    ExpandScalar(grey + k, count - k, bgr + 3 * k);
}

__attribute__((target("ssse3"))) void ReduceShuffled(std::uint8_t* words, std::size_t count,
                                                     std::uint8_t* bgr) {
    const __m128i lowByte = _mm_set1_epi16(0x00FF);
    std::size_t k = 0;
    for (; k + 16 <= count; k += 16) {
        auto* in = reinterpret_cast<__m128i*>(words + 2 * k);
        const __m128i a = _mm_srli_epi16(_mm_loadu_si128(in), 2);
        const __m128i b = _mm_srli_epi16(_mm_loadu_si128(in + 1), 2);
        _mm_storeu_si128(in, a);
        _mm_storeu_si128(in + 1, b);
        StoreExpanded(_mm_packus_epi16(_mm_and_si128(a, lowByte), _mm_and_si128(b, lowByte)),
                      bgr + 3 * k);
    }
    ReduceScalar(words + 2 * k, count - k, bgr + 3 * k);
}
#endif

} // namespace

void ExpandGreyToBgr(const std::uint8_t* grey, std::size_t count, std::uint8_t* bgr) {
#if defined(__x86_64__)
    if (HasByteShuffle128())
        return ExpandShuffled(grey, count, bgr);
#endif
    ExpandScalar(grey, count, bgr);
}

void ReduceAndExpandTenBit(std::uint8_t* words, std::size_t count, std::uint8_t* bgr) {
#if defined(__x86_64__)
    if (HasByteShuffle128())
        return ReduceShuffled(words, count, bgr);
#endif
    ReduceScalar(words, count, bgr);
}

} // namespace orbicap
