#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orbicap {

// 10-bit camera samples (16-bit little-endian words) to 8-bit pixels in one
// pass: out[k] = low 8 bits of (word k >> 2). Words above 1023 wrap (1024 -> 0),
// as the camera's own reduction does.
void ReduceTenBit(const std::uint8_t* littleEndianWords, std::uint8_t* out, std::size_t count);

using ReduceTenBitFn = void (*)(const std::uint8_t*, std::uint8_t*, std::size_t);

// Every implementation this processor can run, the portable loop first; the
// tests hold each of them to the same results.
std::vector<ReduceTenBitFn> ReduceTenBitVariants();

} // namespace orbicap
