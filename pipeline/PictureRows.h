#pragma once

namespace orbicap {

// Camera buffers run top to bottom; the program's pictures keep their rows
// bottom-up, as device-independent bitmaps do, and a frame is copied into a
// picture's memory as one block. So memory row r of a picture holds buffer
// row r, which is shown as picture row height - 1 - r counted from the top.
// This reflection lives here and nowhere else.
constexpr int PictureRowOfBufferRow(int bufferRow, int height) {
    return height - 1 - bufferRow;
}

// The inverse: the buffer row (= memory row of a bottom-up picture) that
// picture row pictureRow, counted from the top, shows.
constexpr int BufferRowOfPictureRow(int pictureRow, int height) {
    return PictureRowOfBufferRow(pictureRow, height);
}

} // namespace orbicap
