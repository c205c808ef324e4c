#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orbicap::indi {

// The first image of a FITS file held in memory, as unsigned 16-bit samples
// (the file's scaling applied), rows in the file's order.
struct FitsFrame {
    int width = 0;
    int height = 0;
    int bitpix = 0;
    std::vector<std::uint16_t> samples;
};

// Reads a two-dimensional image of 8 or 16 bits. Answers false with the
// reason in error for anything else.
bool DecodeFits(const void* data, std::size_t bytes, FitsFrame& frame, std::string& error);

} // namespace orbicap::indi
