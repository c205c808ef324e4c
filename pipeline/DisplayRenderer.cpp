#include "pipeline/DisplayRenderer.h"

#include "pipeline/FrameIntake.h"
#include "pipeline/FrameOverlay.h"
#include "pipeline/View.h"

#include <cstring>
#include <stdexcept>

namespace orbicap {

DisplayRenderer::DisplayRenderer(DebayerFn debayer)
    : DisplayBitmap(752, 480, QImage::Format_Grayscale8), debayer_(debayer),
      bayerBuffer_(752u * 480u) {
    DisplayBitmap.fill(0);
}

void DisplayRenderer::DemosaicFrame(FrameBitmap& frame) {
    if (!debayer_)
        throw std::runtime_error("no demosaic function bound");
    const std::size_t n = static_cast<std::size_t>(frame.Width) * frame.Height;
    if (bayerBuffer_.size() < n)
        bayerBuffer_.resize(n);
    std::memcpy(bayerBuffer_.data(), frame.Bits(), n);
    frame.Reshape(frame.Width, frame.Height, PixelFormat::Bgr24);
    debayer_(bayerBuffer_.data(), frame.Bits(), frame.Width, frame.Height);
}

void DisplayRenderer::Draw(FrameBitmap& frame) {
    const PixelSize size = ZoomedSize(frame.Width, frame.Height, ZoomPercent);
    if (ColorCamera && frame.Format == PixelFormat::Indexed8)
        DemosaicFrame(frame);
    const bool colour = frame.Format == PixelFormat::Bgr24;
    if (!colour)
        frame.Colors = BuildPalette(BlackLevel, WhiteLevel, SolarLimit, SolarShade);

    // Drawn at native size, so the box grows with the zoom like the picture.
    if (OverlayVisible)
        DrawOverlay(frame, Hooks.OverlayText ? Hooks.OverlayText() : std::string(), Overlay);

    const QImage::Format format = colour ? QImage::Format_BGR888 : QImage::Format_Grayscale8;
    if (DisplayBitmap.width() != size.Width || DisplayBitmap.height() != size.Height ||
        DisplayBitmap.format() != format)
        DisplayBitmap = QImage(size.Width, size.Height, format);
    if (DisplayBitmap.isNull() && size.Width > 0 && size.Height > 0)
        throw std::bad_alloc();

    ScaleJob job;
    job.Source = frame.Bits();
    job.SourceWidth = frame.Width;
    job.SourceHeight = frame.Height;
    job.SourceStride = frame.Stride();
    job.Dest = DisplayBitmap.bits();
    job.DestWidth = size.Width;
    job.DestHeight = size.Height;
    job.DestStride = DisplayBitmap.bytesPerLine();
    if (colour)
        scaler_.ScaleBgr(job);
    else
        scaler_.ScaleGrey(job, frame.Colors);

    DrawAidsAndShow(true);
}

void DisplayRenderer::DrawAidsAndShow(bool fresh) {
    if (Hooks.DrawAids)
        Hooks.DrawAids(DisplayBitmap, fresh);
    if (Hooks.Repaint)
        Hooks.Repaint();
}

void DisplayRenderer::RedrawAids() {
    DrawAidsAndShow(false);
}

void DisplayRenderer::RefreshDisplay(FrameBitmap& frame, std::int32_t& paintPending) {
    if (paintPending == -1)
        return;
    // A failure in any drawing step drops the rest of this frame's drawing
    // silently; the next frame is drawn normally.
    try {
        Draw(frame);
    } catch (...) {
    }
    try {
        if (Hooks.AfterRefresh)
            Hooks.AfterRefresh();
    } catch (...) {
    }
    paintPending = -1;
}

void DisplayRenderer::RefreshDisplay(FrameIntake& intake) {
    RefreshDisplay(intake.FrameBitmap, intake.PaintPending);
}

} // namespace orbicap
