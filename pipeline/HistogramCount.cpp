#include "pipeline/HistogramCount.h"

#include <cstring>

namespace orbicap {

HistogramCounts CountHistogram(const std::uint8_t* pixels, std::size_t count) {
    // A dark sky puts most pixels into a few bins, and an increment waits for
    // the previous one of the same counter: with sixteen tables that happens
    // every sixteenth pixel instead of every eighth (0.48 instead of 0.51 of
    // the plain loop's time on an Intel VM, where eight missed the target).
    constexpr int kTables = 16;
    std::uint32_t tables[kTables][256] = {};
    std::size_t k = 0;
    for (; k + 16 <= count; k += 16) {
        std::uint64_t low, high;
        std::memcpy(&low, pixels + k, sizeof low);
        std::memcpy(&high, pixels + k + 8, sizeof high);
        for (int b = 0; b < 8; ++b) {
            ++tables[b][(low >> (8 * b)) & 0xFF];
            ++tables[8 + b][(high >> (8 * b)) & 0xFF];
        }
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
