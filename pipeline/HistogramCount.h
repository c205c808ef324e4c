#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace orbicap {

using HistogramCounts = std::array<std::uint32_t, 256>;

// Counts how often each 8-bit value occurs among count pixels. Planet frames
// are mostly one dark value, so a single table would make every increment
// wait for the previous one to the same counter; interleaved tables keep
// those chains independent.
HistogramCounts CountHistogram(const std::uint8_t* pixels, std::size_t count);

} // namespace orbicap
