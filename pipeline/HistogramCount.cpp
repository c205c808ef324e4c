#include "pipeline/HistogramCount.h"

#include <cstring>

namespace orbicap {

HistogramCounts CountHistogram(const std::uint8_t* pixels, std::size_t count) {
    constexpr int kTables = 8;
    std::uint32_t tables[kTables][256] = {};
    std::size_t k = 0;
    for (; k + 8 <= count; k += 8) {
        std::uint64_t word;
        std::memcpy(&word, pixels + k, sizeof word);
        ++tables[0][word & 0xFF];
        ++tables[1][(word >> 8) & 0xFF];
        ++tables[2][(word >> 16) & 0xFF];
        ++tables[3][(word >> 24) & 0xFF];
        ++tables[4][(word >> 32) & 0xFF];
        ++tables[5][(word >> 40) & 0xFF];
        ++tables[6][(word >> 48) & 0xFF];
        ++tables[7][word >> 56];
    }
    for (; k < count; ++k)
        ++tables[0][pixels[k]];
    HistogramCounts counts{};
    for (int v = 0; v < 256; ++v) {
        std::uint32_t sum = 0;
        for (int t = 0; t < kTables; ++t)
            sum += tables[t][v];
        counts[static_cast<std::size_t>(v)] = sum;
    }
    return counts;
}

} // namespace orbicap
