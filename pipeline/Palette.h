#pragma once

#include <array>
#include <cstdint>

namespace orbicap {

// 256-entry grey palette: entry i is the grey shown for raw value i.
using Palette = std::array<std::uint8_t, 256>;

// Grey ramp from the black and white levels, with every value at or above
// limit shown in the grey shade (solar mode; 255/255 switches it off).
Palette BuildPalette(int black, int white, int limit, int shade);

// The plain ramp, entry i = i (BuildPalette(0, 255, 255, 255)).
Palette IdentityPalette();

} // namespace orbicap
