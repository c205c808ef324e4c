#include "recording/GreyToBgr.h"

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
// Sixteen samples become 48 bytes through three byte shuffles; a frame then
// costs about as much as copying the rendered bytes.
__attribute__((target("ssse3"))) void ExpandShuffled(const std::uint8_t* grey, std::size_t count,
                                                     std::uint8_t* bgr) {
    const __m128i first = _mm_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5);
    const __m128i second = _mm_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10);
    const __m128i third =
        _mm_setr_epi8(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15);
    std::size_t k = 0;
    for (; k + 16 <= count; k += 16) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(grey + k));
        auto* out = reinterpret_cast<__m128i*>(bgr + 3 * k);
        _mm_storeu_si128(out, _mm_shuffle_epi8(in, first));
        _mm_storeu_si128(out + 1, _mm_shuffle_epi8(in, second));
        _mm_storeu_si128(out + 2, _mm_shuffle_epi8(in, third));
    }
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
        alignas(16) std::uint8_t grey[16];
        _mm_store_si128(reinterpret_cast<__m128i*>(grey),
                        _mm_packus_epi16(_mm_and_si128(a, lowByte), _mm_and_si128(b, lowByte)));
        ExpandShuffled(grey, 16, bgr + 3 * k);
    }
    ReduceScalar(words + 2 * k, count - k, bgr + 3 * k);
}
#endif

bool HasShuffles() {
#if defined(__x86_64__)
    static const bool shuffles = __builtin_cpu_supports("ssse3");
    return shuffles;
#else
    return false;
#endif
}

} // namespace

void ExpandGreyToBgr(const std::uint8_t* grey, std::size_t count, std::uint8_t* bgr) {
#if defined(__x86_64__)
    if (HasShuffles()) {
        ExpandShuffled(grey, count, bgr);
        return;
    }
#endif
    ExpandScalar(grey, count, bgr);
}

void ReduceAndExpandTenBit(std::uint8_t* words, std::size_t count, std::uint8_t* bgr) {
#if defined(__x86_64__)
    if (HasShuffles()) {
        ReduceShuffled(words, count, bgr);
        return;
    }
#endif
    ReduceScalar(words, count, bgr);
}

} // namespace orbicap
