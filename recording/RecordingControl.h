#pragma once

#include "capture/CMOSDLL32.h"
#include "capture/ImageList.h"
#include "capture/VideoCapture.h"
#include "platform/Status.h"
#include "platform/TickCounter.h"
#include "recording/AVIExport.h"

#include <QString>

#include <functional>

namespace orbicap {

// The count field as the user left it: its text and whether its unit is
// seconds (" sec(s)") rather than frames (" expo(s)").
struct CountSetting {
    QString Text;
    bool Seconds = false;
};

// Starting, limiting and cancelling recordings. The main window and the
// headless recorder both drive recordings through this one object.
class RecordingControl {
public:
    RecordingControl(TAVIExport& recorder, TVideoCapture& capture, FrameQueue& queue,
                     const CMOSDLL32& camera, RecorderView& view,
                     const TickSource& ticks = SystemTicks());

    // Run when a recording starts, to end a measurement in progress.
    std::function<void()> EndMeasurement;

    // Chooses the format. Refused (false) while a recording runs, since the
    // open output belongs to the format it was started with.
    bool SetRecordFormat(int format);

    // Starts a SER or AVI recording (the capture button). A failure carries
    // the message to show; while a recording runs nothing happens.
    Status StartVideo(const QString& captureFileName, int exposureMs, const CountSetting& count);
    // Starts a FIT or BMP recording, one file per frame (the still button).
    Status StartStills(const QString& captureFileName, int exposureMs, const CountSetting& count);
    // Ends the current exposure; the recording ends at the next frame.
    void Cancel();

    // Ends the recording with a message when the camera has delivered no frame
    // for the exposure plus kStallMarginMs (the last frame, or the start).
    // The window and the headless recorder call it from a timer.
    void CheckCameraStall(Tick lastFrameTick);
    static constexpr Tick kStallMarginMs = 5000;

    // The capture thread ended on an error: the frames it queued are stored,
    // a running recording is closed, and the user is told why.
    void CaptureStopped(const std::string& reason);

    bool Recording() const { return capture_.Recording || recorder_.IsRecording(); }
    // Name of the SER or AVI recording last started.
    const QString& RecordingFileName() const { return recordingFileName_; }

private:
    static Result<int> CountValue(const CountSetting& count);
    void SetLimit(int value, bool seconds);
    void EmptyQueue();
    void Begin(int exposureMs);

    TAVIExport& recorder_;
    TVideoCapture& capture_;
    FrameQueue& queue_;
    const CMOSDLL32& camera_;
    RecorderView& view_;
    const TickSource& ticks_;
    QString recordingFileName_;
    int exposureMs_ = 100;
};

} // namespace orbicap
