#include "pipeline/FrameOverlay.h"

namespace orbicap {

void DrawOverlay(FrameBitmap& bitmap, const std::string& text, const OverlayStyle& style) {
    if (!bitmap.Bits() || bitmap.Width <= 0 || bitmap.Height <= 0)
        return;
    const QImage tile = RenderOverlayTile(text, style);
    if (bitmap.Format == PixelFormat::Bgr24)
        DrawOverlayBgr(bitmap.Bits(), bitmap.Width, bitmap.Height, bitmap.Stride(), tile);
    else
        DrawOverlayIndexed(bitmap.Bits(), bitmap.Width, bitmap.Height, bitmap.Stride(),
                           bitmap.Colors, tile);
}

} // namespace orbicap
