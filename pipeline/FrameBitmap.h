#pragma once

#include "pipeline/Palette.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace orbicap {

enum class PixelFormat { Indexed8, Bgr24 };

// The frame at native size, stored bottom-up: the first row in memory is the
// bottom row of the picture, so a camera buffer copied in as one block lands
// with buffer row r in memory row r. Rows are exactly Width x bytes-per-pixel
// long (no padding).
struct FrameBitmap {
    int Width = 0;
    int Height = 0;
    PixelFormat Format = PixelFormat::Indexed8;
    // Grey shown for each index while Format is Indexed8.
    Palette Colors = IdentityPalette();

    FrameBitmap();
    FrameBitmap(int width, int height, PixelFormat format);

    int BytesPerPixel() const { return Format == PixelFormat::Bgr24 ? 3 : 1; }
    int Stride() const { return Width * BytesPerPixel(); }
    std::size_t ByteCount() const {
        return static_cast<std::size_t>(Stride()) * static_cast<std::size_t>(Height);
    }

    // Pixel memory from its first row in memory (the bottom picture row).
    std::uint8_t* Bits() { return bits_.get(); }
    const std::uint8_t* Bits() const { return bits_.get(); }
    // Start of a picture row counted from the top.
    std::uint8_t* PictureRow(int y);
    const std::uint8_t* PictureRow(int y) const;

    // New geometry and format; the contents are undefined afterwards. Memory
    // is only reallocated when the old block is too small, so the alternation
    // between 8-bit and 24-bit of a colour camera costs no allocation.
    void Reshape(int width, int height, PixelFormat format);

private:
    std::unique_ptr<std::uint8_t[]> bits_;
    std::size_t capacity_ = 0;
};

} // namespace orbicap
