#pragma once

#include "capture/CMOSDLL32.h"
#include "capture/ImageList.h"
#include "pipeline/Overlay.h"

#include <cstdint>
#include <vector>

namespace orbicap {

// The picture of one recorded AVI or BMP frame: 24-bit pixels (blue, green,
// red), 3 x Width bytes per row with no padding, rows bottom-up (the first
// row in Bits is the bottom row of the picture). One object is reused for
// every frame: Bits only grows, so steady recording allocates nothing.
struct RenderBitmap {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Bits;
    // Full-size demosaic of an 8-bit colour frame before it is cut to the
    // picture size; kept here so that it too is allocated once.
    std::vector<std::uint8_t> Scratch;
};

// Renders frame F into out as the eye would see it:
// - mono: F.Width x F.Height grey pixels, frame sample k giving bytes
//   3k..3k+2, so the first frame row becomes the bottom picture row. A 16-bit
//   frame is reduced to 8 bits in place first (each sample shifted right by
//   2 and written back into F), and the grey is the low byte of the result;
// - colour (RGGB mosaic): (F.Width - 1) x (F.Height - 1) pixels demosaiced by
//   the camera library, rows in frame order as for mono. An 8-bit mosaic is
//   demosaiced at full size and its last column and last frame row (the top
//   picture row) are dropped.
// Then, when overlayVisible, the frame's own Overlay text is drawn into the
// top-left corner in the given style.
void RenderFrame(ImageLst& F, bool colorCamera, const CMOSDLL32& camera, RenderBitmap& out,
                 bool overlayVisible, const OverlayStyle& style);

} // namespace orbicap
