#pragma once

#include <cstddef>
#include <cstdint>

namespace orbicap::indi {

// A picture as the camera delivered it: rows top to bottom without gaps,
// one byte or one little-endian 16-bit word per sample.
struct SourceFrame {
    const std::uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    int bytesPerSample = 1;  // 1 or 2
    int significantBits = 8; // how many bits of each sample carry the picture
    // Parity of the column and row of the red site within this picture; the
    // window wants red at its even row and column.
    int redColumn = 0;
    int redRow = 0;

    std::size_t Bytes() const {
        return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
               static_cast<std::size_t>(bytesPerSample);
    }
};

// The block the program lent: width x height samples, bytes in 8-bit mode,
// little-endian words of 10 significant bits in 10-bit mode.
struct WindowBlock {
    void* data = nullptr;
    int width = 0;
    int height = 0;
    bool tenBit = false;

    std::size_t Bytes() const {
        return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
               (tenBit ? 2u : 1u);
    }
};

// Fills the whole block, and nothing beyond it, from the source: a larger
// picture is cropped to its centre, a smaller one centred with black around
// it, the crop or the border moved by one pixel where that puts the red site
// on the window's even row and column, and samples rescaled to the block's
// depth.
void PlaceFrame(const SourceFrame& source, const WindowBlock& block);

} // namespace orbicap::indi
