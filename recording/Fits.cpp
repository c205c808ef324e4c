#include "Fits.h"

#include "CheckedFile.h"
#include "pipeline/CpuFeatures.h"

#include <array>
#include <cstdio>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace orbicap {

namespace {

constexpr std::size_t kBlockBytes = 2880;
constexpr std::size_t kCardBytes = 80;

// Fixed-format card: keyword in columns 1-8, "= " in 9-10, the value right
// aligned in columns 11-30, blanks to column 80.
void PutCard(char* card, const char* keyword, const char* value) {
    std::memcpy(card, keyword, std::strlen(keyword));
    card[8] = '=';
    const std::size_t length = std::strlen(value);
    std::memcpy(card + 30 - length, value, length);
}

void PutCard(char* card, const char* keyword, long value) {
    char text[24];
    std::snprintf(text, sizeof text, "%ld", value);
    PutCard(card, keyword, text);
}

// FITS stores signed big-endian words; v - 32768 modulo 2^16 is v with the top
// bit flipped. Source and target may be the same memory (each step reads its
// words before it writes them).
void ConvertPortable(const std::uint8_t* source, std::uint8_t* target, std::size_t samples) {
    for (std::size_t i = 0; i < samples; ++i) {
        std::uint16_t v;
        std::memcpy(&v, source + 2 * i, 2);
        v = static_cast<std::uint16_t>(v ^ 0x8000u);
        v = static_cast<std::uint16_t>((v >> 8) | (v << 8));
        std::memcpy(target + 2 * i, &v, 2);
    }
}

#if defined(__x86_64__)
// 32 words per step; measured a quarter faster than what the compiler makes
// of the loop above for the baseline processor.
__attribute__((target("avx2"))) void ConvertWide(const std::uint8_t* source, std::uint8_t* target,
                                                 std::size_t samples) {
    const __m256i swap = _mm256_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14, 1,
                                          0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14);
    const __m256i flip = _mm256_set1_epi16(0x0080); // the top bit, now in the first byte
    std::size_t i = 0;
    for (; i + 32 <= samples; i += 32) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + 2 * i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + 2 * i + 32));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(target + 2 * i),
                            _mm256_xor_si256(_mm256_shuffle_epi8(a, swap), flip));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(target + 2 * i + 32),
                            _mm256_xor_si256(_mm256_shuffle_epi8(b, swap), flip));
    }
    ConvertPortable(source + 2 * i, target + 2 * i, samples - i);
}
#endif

void ConvertTo16BitFits(const std::uint8_t* source, std::uint8_t* target, std::size_t samples) {
#if defined(__x86_64__)
    if (HasByteShuffle256())
        return ConvertWide(source, target, samples);
#endif
    ConvertPortable(source, target, samples);
}

Status Refuse(const std::string& fileName, const char* reason) {
    return Status::Failure("Cannot write " + fileName + ": " + reason);
}

} // namespace

Status WriteFitsFile(const std::string& fileName, const ImageLst& frame, bool colorCamera,
                     std::uint8_t* fitsBuffer, const FitsObservation* observation) {
    const std::size_t width = frame.Width > 0 ? static_cast<std::size_t>(frame.Width) : 0;
    const std::size_t rows = frame.Height > 0 ? static_cast<std::size_t>(frame.Height) : 0;
    const std::size_t height = colorCamera && rows > 0 ? rows - 1 : rows;
    const std::size_t samples = width * height * (colorCamera ? 3 : 1);
    const std::size_t sampleBytes = frame.Is16Bit ? 2 : 1;
    const std::size_t dataBytes = samples * sampleBytes;
    if (samples == 0 || (!colorCamera && !frame.Data)) {
        return Refuse(fileName, "the frame is empty");
    }
    if ((colorCamera || frame.Is16Bit) && (!fitsBuffer || dataBytes > kFitsBufferBytes)) {
        return Refuse(fileName, "the frame does not fit the conversion buffer");
    }

    std::array<char, kBlockBytes> header;
    header.fill(' ');
    char* card = header.data();
    PutCard(card, "SIMPLE", "T");
    PutCard(card += kCardBytes, "BITPIX", frame.Is16Bit ? 16L : 8L);
    PutCard(card += kCardBytes, "NAXIS", colorCamera ? 3L : 2L);
    PutCard(card += kCardBytes, "NAXIS1", static_cast<long>(width));
    PutCard(card += kCardBytes, "NAXIS2", static_cast<long>(height));
    if (colorCamera) {
        PutCard(card += kCardBytes, "NAXIS3", 3L);
    }
    PutCard(card += kCardBytes, "BZERO", frame.Is16Bit ? 32768L : 0L);
    PutCard(card += kCardBytes, "BSCALE", "1.0");
    if (observation) {
        PutObservationCards(card += kCardBytes, *observation);
        card += (kFitsObservationCards - 1) * kCardBytes;
    }
    std::memcpy(card += kCardBytes, "END", 3);
    // The cards after END stay blank up to the end of the block.

    const std::uint8_t* source = colorCamera ? fitsBuffer : frame.Data.get();
    const std::uint8_t* data = source;
    if (frame.Is16Bit) {
        ConvertTo16BitFits(source, fitsBuffer, samples);
        data = fitsBuffer;
    }
    static const std::array<std::uint8_t, kBlockBytes> zeros{};
    const std::size_t fill = (kBlockBytes - dataBytes % kBlockBytes) % kBlockBytes;

    CheckedFile file;
    if (file.Create(fileName) && file.Write(header.data(), header.size()) &&
        file.Write(data, dataBytes) && file.Write(zeros.data(), fill) && file.Close()) {
        return Status();
    }
    const Status failed = file.Outcome();
    file.Discard();
    return failed;
}

} // namespace orbicap
