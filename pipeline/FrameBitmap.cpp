#include "pipeline/FrameBitmap.h"

#include "pipeline/PictureRows.h"

#include <cstring>

namespace orbicap {

FrameBitmap::FrameBitmap() : FrameBitmap(752, 480, PixelFormat::Indexed8) {
    std::memset(bits_.get(), 0, capacity_);
}

FrameBitmap::FrameBitmap(int width, int height, PixelFormat format) {
    Reshape(width, height, format);
}

std::uint8_t* FrameBitmap::PictureRow(int y) {
    return bits_.get() + static_cast<std::size_t>(BufferRowOfPictureRow(y, Height)) * Stride();
}

const std::uint8_t* FrameBitmap::PictureRow(int y) const {
    return bits_.get() + static_cast<std::size_t>(BufferRowOfPictureRow(y, Height)) * Stride();
}

void FrameBitmap::Reshape(int width, int height, PixelFormat format) {
    Width = width < 0 ? 0 : width;
    Height = height < 0 ? 0 : height;
    Format = format;
    const std::size_t needed = ByteCount();
    if (needed > capacity_ || !bits_) {
        bits_ = std::make_unique_for_overwrite<std::uint8_t[]>(needed ? needed : 1);
        capacity_ = needed;
    }
}

} // namespace orbicap
