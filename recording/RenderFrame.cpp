#include "recording/RenderFrame.h"

#include "recording/GreyToBgr.h"

#include <cstddef>
#include <cstring>

namespace orbicap {

namespace {

void SizeBitmap(RenderBitmap& out, int width, int height) {
    out.Width = width;
    out.Height = height;
    out.Bits.resize(3u * static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
}

void RenderColour(ImageLst& F, const CMOSDLL32& camera, RenderBitmap& out) {
    const int width = F.Width;
    const int height = F.Height;
    SizeBitmap(out, width - 1, height - 1);
    if (F.Is16Bit) {
        // The driver takes 16-bit samples; the block was allocated by new[]
        // and is aligned for them.
        camera.debayerImageW(reinterpret_cast<const unsigned short*>(F.Data.get()), out.Bits.data(),
                             width, height);
        return;
    }
    // debayerImage writes a full width x height picture, one pixel wider and
    // taller than the bitmap: demosaic aside and keep the first height - 1
    // rows and width - 1 columns.
    out.Scratch.resize(3u * static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    camera.debayerImage(F.Data.get(), out.Scratch.data(), width, height);
    const std::size_t inRow = 3u * static_cast<std::size_t>(width);
    const std::size_t outRow = 3u * static_cast<std::size_t>(width - 1);
    for (int r = 0; r < height - 1; ++r)
        std::memcpy(out.Bits.data() + r * outRow, out.Scratch.data() + r * inRow, outRow);
}

} // namespace

void RenderFrame(ImageLst& F, bool colorCamera, const CMOSDLL32& camera, RenderBitmap& out,
                 bool overlayVisible, const OverlayStyle& style) {
    const int minimum = colorCamera ? 2 : 1; // a mosaic needs 2 x 2 samples
    if (F.Data == nullptr || F.Width < minimum || F.Height < minimum) {
        SizeBitmap(out, 0, 0);
        return;
    }
    if (colorCamera) {
        RenderColour(F, camera, out);
    } else {
        SizeBitmap(out, F.Width, F.Height);
        const std::size_t count = static_cast<std::size_t>(F.Width) * F.Height;
        if (F.Is16Bit)
            ReduceAndExpandTenBit(F.Data.get(), count, out.Bits.data());
        else
            ExpandGreyToBgr(F.Data.get(), count, out.Bits.data());
    }
    if (overlayVisible) {
        const QImage tile = RenderOverlayTile(F.Overlay, style);
        DrawOverlayBgr(out.Bits.data(), out.Width, out.Height, 3 * out.Width, tile);
    }
}

} // namespace orbicap
