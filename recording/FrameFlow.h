#pragma once

#include "capture/ImageList.h"
#include "capture/VideoCapture.h"
#include "pipeline/FrameIntake.h"
#include "recording/AVIExport.h"

#include <QObject>

#include <functional>

namespace orbicap {

// The window-thread end of the road of a frame: receives WM_FRAMEREADY,
// runs the intake on the newest frame, and handles the WM_FRAMEPAINT and
// WM_FRAMESTORE it posts to itself. The main window and the headless
// recorder both use it, so both run the same intake and recorder.
class FrameFlow : public QObject, public IntakeSink {
public:
    FrameFlow(FrameQueue& queue, TVideoCapture& capture, TAVIExport& recorder,
              BufferCopyFn bufferCopy, const TickSource& ticks = SystemTicks());

    // The states of the window's controls that the intake reads; the capture
    // thread's Recording flag is filled in here.
    std::function<IntakeInputs()> Inputs;
    // The WM_FRAMEPAINT work; without one the repaint is only acknowledged.
    std::function<void()> Paint;
    // Histogram of a displayed frame.
    std::function<void(const std::uint8_t*, int, int)> Histogram;
    // Run after every WM_FRAMEREADY, for readouts that follow the frames.
    std::function<void()> AfterFrame;
    // The capture thread ended on an error (WM_CAPTUREFAILED), with its reason.
    std::function<void(const std::string&)> CaptureFailed;

    FrameIntake Intake;

    // Frames announced so far, and announcements that found no frame.
    std::uint64_t FramesAnnounced = 0;
    std::uint64_t EmptyAnnouncements = 0;
    Tick LastFrameTick = 0;

    bool event(QEvent* e) override;

    // IntakeSink
    void PostFramePaint() override;
    void PostFrameStore() override;
    void DropOldestFrame() override;
    void UpdateHistogram(const std::uint8_t* pixels, int width, int height) override;

private:
    void FrameReady();

    FrameQueue& queue_;
    TVideoCapture& capture_;
    TAVIExport& recorder_;
    const TickSource& ticks_;
};

} // namespace orbicap
