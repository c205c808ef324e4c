#pragma once

#include <cstdint>

namespace orbicap::drivers {

// Bilinear demosaicing of an RGGB mosaic (red at even row, even column).
// Output rows follow the input rows. Borders are filled by mirroring the
// mosaic about its edge, which keeps every site's colour. None of these
// functions writes outside the destination size its comment gives.

// 3 * width * height bytes: blue, green, red per pixel.
void DemosaicToBgr(const std::uint8_t* mosaic, std::uint8_t* bgr, int width, int height);

// 16-bit samples (10 significant bits) reduced to 8 bits, the last column and
// row left out: 3 * (width - 1) * (height - 1) bytes, blue, green, red.
void DemosaicWordsToBgr(const std::uint16_t* mosaic, std::uint8_t* bgr, int width, int height);

// Red, green and blue planes of width * (height - 1) samples each, one after
// the other, the last row left out: 3 * width * (height - 1) samples.
void DemosaicToPlanes(const std::uint8_t* mosaic, std::uint8_t* planes, int width, int height);
void DemosaicWordsToPlanes(const std::uint16_t* mosaic, std::uint16_t* planes, int width,
                           int height);

} // namespace orbicap::drivers
