#pragma once

#include "platform/Status.h"

#include <cstdint>
#include <string>

namespace orbicap {

// Resolution written into BMP files: 2835 pixels per metre, i.e. 72 dpi.
inline constexpr std::int32_t kBmpPixelsPerMetre = 2835;

// Saves a 24-bit picture as a BMP file: 14-byte file header, 40-byte
// information header, no compression, no colour table. bottomUpBgr holds the
// rows bottom row first, 3 bytes per pixel (blue, green, red) with no gap
// between rows; each row is padded to a multiple of 4 bytes in the file.
// On failure no file is left behind.
Status SaveBmpFile(const std::string& fileName, const std::uint8_t* bottomUpBgr, int width,
                   int height);

} // namespace orbicap
