#pragma once

#include "pipeline/FrameBitmap.h"
#include "platform/TickCounter.h"

#include <cstdint>
#include <vector>

namespace orbicap {

// What the intake reads from elsewhere at each frame: the capture thread's
// Recording flag and the states of three controls of the main window.
struct IntakeInputs {
    bool Recording = false;
    bool PreviewDuringCapture = false; // menu item "Preview During Capture"
    bool HistogramChecked = true;      // check box "Histogram"
    bool FocusAidVisible = false;
};

// One frame as the queue holds it: Width x Height samples in buffer order,
// bytes, or little-endian 16-bit words with 10 significant bits when Is16Bit.
struct FrameView {
    const std::uint8_t* Pixels = nullptr;
    int Width = 0;
    int Height = 0;
    bool Is16Bit = false;
};

// Where the intake's results go. The window posts its messages; the headless
// recorder and the tests record or forward the calls.
class IntakeSink {
public:
    virtual ~IntakeSink() = default;
    virtual void PostFramePaint() = 0; // WM_FRAMEPAINT
    virtual void PostFrameStore() = 0; // WM_FRAMESTORE
    virtual void DropOldestFrame() = 0;
    // 8-bit pixels in buffer order of a frame that is being displayed.
    virtual void UpdateHistogram(const std::uint8_t* pixels, int width, int height) = 0;
};

// The driver's bufferCopy(source, destination, bytes).
using BufferCopyFn = void (*)(const void* source, void* destination, int bytes);

// Brings each announced frame into the native-size picture when the display is
// due and hands every frame on to the recorder or back to the queue.
// Window thread only.
class FrameIntake {
public:
    // A null bufferCopy copies with memcpy.
    FrameIntake(const TickSource& ticks, BufferCopyFn bufferCopy, IntakeSink& sink);

    // The WM_FRAMEREADY work for the newest queued frame.
    void ProcessFrame(const FrameView& frame, const IntakeInputs& inputs);

    // Whether a frame arriving now would be displayed.
    bool DisplayDue(const IntakeInputs& inputs) const;

    // The frame at native size, 8-bit (or 24-bit once a colour frame has been
    // demosaiced for the display).
    orbicap::FrameBitmap FrameBitmap;
    // -1: no repaint outstanding; 1: WM_FRAMEPAINT posted and not yet handled.
    std::int32_t PaintPending = -1;
    // While recording, the display is due again once the tick counter is past it.
    Tick NextPreviewTick = 0;
    std::int32_t FrameWidth = 0;
    std::int32_t FrameHeight = 0;
    // 8-bit pixels, buffer order, of the last displayed frame while the focus
    // aid is shown. Room for a full sensor frame at least.
    std::vector<std::uint8_t> FocusBuffer;

private:
    void Copy(const void* source, void* destination, std::size_t bytes) const;

    const TickSource& ticks_;
    BufferCopyFn bufferCopy_;
    IntakeSink& sink_;
    // NextPreviewTick means nothing before the first refresh: compared across
    // half the counter's range it could read as "in the future" for weeks.
    bool refreshed_ = false;
};

} // namespace orbicap
