#pragma once

#include "pipeline/FrameBitmap.h"
#include "pipeline/Overlay.h"

#include <string>

namespace orbicap {

// Stamps the timestamp box into the top-left corner of a frame picture: exact
// colours in a 24-bit picture, the nearest greys of its palette in an 8-bit one.
void DrawOverlay(FrameBitmap& bitmap, const std::string& text, const OverlayStyle& style);

} // namespace orbicap
