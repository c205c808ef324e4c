#include "pipeline/FrameIntake.h"

#include "pipeline/SampleReduce.h"

#include <cstring>
#include <limits>

namespace orbicap {
namespace {

constexpr std::size_t kSensorPixels = 752u * 480u;
constexpr Tick kPreviewIntervalMs = 2000;

} // namespace

FrameIntake::FrameIntake(const TickSource& ticks, BufferCopyFn bufferCopy, IntakeSink& sink)
    : FocusBuffer(kSensorPixels, 0), ticks_(ticks), bufferCopy_(bufferCopy), sink_(sink) {}

bool FrameIntake::DisplayDue(const IntakeInputs& inputs) const {
    if (PaintPending != -1)
        return false;
    return !inputs.Recording || inputs.PreviewDuringCapture || !refreshed_ ||
           TickAfter(ticks_.Now(), NextPreviewTick);
}

void FrameIntake::Copy(const void* source, void* destination, std::size_t bytes) const {
    // The driver's copy takes an int count; a frame never comes near that.
    if (bufferCopy_ && bytes <= static_cast<std::size_t>(std::numeric_limits<int>::max()))
        bufferCopy_(source, destination, static_cast<int>(bytes));
    else
        std::memcpy(destination, source, bytes);
}

void FrameIntake::ProcessFrame(const FrameView& frame, const IntakeInputs& inputs) {
    const std::uint8_t* pixels = frame.Pixels;
    const int width = frame.Width;
    const int height = frame.Height;
    const bool is16Bit = frame.Is16Bit;
    if (pixels && width > 0 && height > 0 && DisplayDue(inputs)) {
        if (FrameBitmap.Format != PixelFormat::Indexed8 || FrameBitmap.Width != width ||
            FrameBitmap.Height != height)
            FrameBitmap.Reshape(width, height, PixelFormat::Indexed8);
        const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        const bool histogram = inputs.HistogramChecked && !inputs.Recording;
        if (FocusBuffer.size() < n)
            FocusBuffer.resize(n);

        if (is16Bit) {
            ReduceTenBit(pixels, FrameBitmap.Bits(), n);
            if (inputs.FocusAidVisible)
                Copy(FrameBitmap.Bits(), FocusBuffer.data(), n);
            if (histogram)
                sink_.UpdateHistogram(FrameBitmap.Bits(), width, height);
        } else {
            if (inputs.FocusAidVisible)
                Copy(pixels, FocusBuffer.data(), n);
            if (histogram)
                sink_.UpdateHistogram(pixels, width, height);
            Copy(pixels, FrameBitmap.Bits(), n);
        }

        FrameWidth = width;
        FrameHeight = height;
        NextPreviewTick = ticks_.Now() + kPreviewIntervalMs;
        refreshed_ = true;
        PaintPending = 1;
        sink_.PostFramePaint();
    }

    if (inputs.Recording)
        sink_.PostFrameStore();
    else
        sink_.DropOldestFrame();
}

} // namespace orbicap
