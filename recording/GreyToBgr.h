#pragma once

#include <cstddef>
#include <cstdint>

namespace orbicap {

// Writes each grey sample three times (B, G, R): count samples in, 3 x count
// bytes out. The buffers must not overlap.
void ExpandGreyToBgr(const std::uint8_t* grey, std::size_t count, std::uint8_t* bgr);

// For 10-bit frames: every little-endian word (two bytes, read and written
// byte by byte) is shifted down by 2 in place, and its low byte goes out
// three times as with ExpandGreyToBgr.
void ReduceAndExpandTenBit(std::uint8_t* words, std::size_t count, std::uint8_t* bgr);

} // namespace orbicap
