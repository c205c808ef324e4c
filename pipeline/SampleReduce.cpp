#include "pipeline/SampleReduce.h"

#include "pipeline/CpuFeatures.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace orbicap {
namespace {

void ReduceTenBitPortable(const std::uint8_t* words, std::uint8_t* out, std::size_t count) {
    // Byte arithmetic keeps this independent of alignment and host byte order:
    // (v >> 2) & 0xFF == (low >> 2) | (high << 6) for v = low | high << 8.
    for (std::size_t k = 0; k < count; ++k)
        out[k] = static_cast<std::uint8_t>((words[2 * k] >> 2) | (words[2 * k + 1] << 6));
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
__attribute__((target("avx512bw,avx512vl"))) void
ReduceTenBit512(const std::uint8_t* words, std::uint8_t* out, std::size_t count) {
    // The zero-masked forms with a full mask are the plain instructions; they
    // avoid the compiler's false uninitialised-value warning on the others.
    std::size_t k = 0;
    for (; k + 32 <= count; k += 32) {
        const __m512i v = _mm512_loadu_si512(words + 2 * k);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k),
                            _mm512_maskz_cvtepi16_epi8(~__mmask32{0}, _mm512_srli_epi16(v, 2)));
    }
    if (k < count) {
        const auto rest = static_cast<unsigned>(count - k);
        const __mmask32 mask = static_cast<__mmask32>((1ull << rest) - 1);
        const __m512i v = _mm512_maskz_loadu_epi16(mask, words + 2 * k);
        _mm256_mask_storeu_epi8(out + k, mask,
                                _mm512_maskz_cvtepi16_epi8(~__mmask32{0}, _mm512_srli_epi16(v, 2)));
    }
}

void ReduceTenBitSse2(const std::uint8_t* words, std::uint8_t* out, std::size_t count) {
    const __m128i low = _mm_set1_epi16(0x00FF);
    std::size_t k = 0;
    for (; k + 16 <= count; k += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(words + 2 * k));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(words + 2 * k + 16));
        const __m128i ra = _mm_and_si128(_mm_srli_epi16(a, 2), low);
        const __m128i rb = _mm_and_si128(_mm_srli_epi16(b, 2), low);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), _mm_packus_epi16(ra, rb));
    }
    ReduceTenBitPortable(words + 2 * k, out + k, count - k);
}

#endif

} // namespace

void ReduceTenBit(const std::uint8_t* words, std::uint8_t* out, std::size_t count) {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    if (HasByteShuffle512())
        ReduceTenBit512(words, out, count);
    else
        ReduceTenBitSse2(words, out, count);
#else
    ReduceTenBitPortable(words, out, count);
#endif
}

std::vector<ReduceTenBitFn> ReduceTenBitVariants() {
    std::vector<ReduceTenBitFn> variants{&ReduceTenBitPortable};
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    variants.push_back(&ReduceTenBitSse2);
    if (HasByteShuffle512())
        variants.push_back(&ReduceTenBit512);
#endif
    return variants;
}

} // namespace orbicap
