#include "RecordingControl.h"

#include "recording/FileName.h"

#include <cstdlib>

namespace orbicap {

namespace {

constexpr const char* kOpenError = "Error opening AVI/SER file";
constexpr const char* kNoFileError = "Please set file parameters first";

} // namespace

RecordingControl::RecordingControl(TAVIExport& recorder, TVideoCapture& capture, FrameQueue& queue,
                                   const CMOSDLL32& camera, RecorderView& view,
                                   const TickSource& ticks)
    : recorder_(recorder), capture_(capture), queue_(queue), camera_(camera), view_(view),
      ticks_(ticks) {}

bool RecordingControl::SetRecordFormat(int format) {
    if (Recording())
        return false;
    recorder_.RecordFormat = format;
    return true;
}

Result<int> RecordingControl::CountValue(const CountSetting& count) {
    bool ok = false;
    const int value = count.Text.toInt(&ok, 10);
    if (!ok)
        return Status::Failure(
            QStringLiteral("'%1' is not a valid integer value").arg(count.Text).toStdString());
    return value;
}

void RecordingControl::SetLimit(int value, bool seconds) {
    if (seconds) {
        recorder_.FrameLimit = kLimitDeadline;
        recorder_.Deadline = ticks_.Now() + static_cast<Tick>(1000 * value);
    } else {
        recorder_.FrameLimit = value == 0 ? kLimitNone : value;
    }
}

void RecordingControl::EmptyQueue() {
    while (queue_.FrameQueueHead())
        queue_.DropOldestFrame();
}

void RecordingControl::CheckCameraStall(Tick lastFrameTick) {
    if (!recorder_.IsRecording())
        return;
    const Tick since =
        TickAfter(lastFrameTick, recorder_.StartTick) ? lastFrameTick : recorder_.StartTick;
    if (!TickAfter(ticks_.Now(), since + static_cast<Tick>(exposureMs_) + kStallMarginMs))
        return;
    recorder_.Abort("The camera stopped delivering frames, so the recording was ended. " +
                    std::to_string(recorder_.StoredFrames) + " frames were stored.");
}

void RecordingControl::CaptureStopped(const std::string& reason) {
    const std::string message = "The capture stopped: " + reason;
    // Every queued frame was finished before the failure; keep them.
    while (recorder_.IsRecording() && queue_.FrameQueueHead())
        recorder_.RecordStep();
    if (recorder_.IsRecording())
        recorder_.Abort(message + ". The recording was ended; " +
                        std::to_string(recorder_.StoredFrames) + " frames were stored.");
    else
        view_.ReportError(QString::fromStdString(message));
}

void RecordingControl::Begin(int exposureMs) {
    exposureMs_ = exposureMs;
    recorder_.Gain = capture_.Gain;
    capture_.Recording = true;
    recorder_.StartTick = ticks_.Now();
    recorder_.StoredFrames = 0;
    view_.RecordingStarted();
}

Status RecordingControl::StartVideo(const QString& captureFileName, int exposureMs,
                                    const CountSetting& count) {
    if (Recording())
        return Status(); // a second start would corrupt the running one
    camera_.CancelExposure();
    const std::string ext = recorder_.RecordFormat == kFormatSER ? ".SER" : ".AVI";
    if (captureFileName.isEmpty())
        return Status::Failure(kOpenError);
    EmptyQueue();
    capture_.ExposureMs = exposureMs;
    const Result<int> value = CountValue(count);
    if (value.Failed())
        return value.Outcome();
    const std::string base = captureFileName.toStdString();
    if (Status room = recorder_.CheckDiskRoom(base, capture_.CaptureWidth, capture_.CaptureHeight,
                                              capture_.TenBitMode);
        room.Failed())
        return room;
    const int number = NextRecordingNumber(base + ext);
    const std::string fileName = base + "_" + Pad5(number) + ext;
    if (EndMeasurement)
        EndMeasurement();
    recorder_.ExposureMs = exposureMs;
    if (const Status opened = recorder_.StartRecording(fileName, capture_.CaptureWidth,
                                                       capture_.CaptureHeight, capture_.TenBitMode);
        opened.Failed())
        return Status::Failure(opened.Message().empty()
                                   ? std::string(kOpenError)
                                   : std::string(kOpenError) + "\n" + opened.Message());
    recordingFileName_ = QString::fromStdString(fileName);
    SetLimit(std::abs(value.Value()), count.Seconds);
    Begin(exposureMs);
    return Status();
}

Status RecordingControl::StartStills(const QString& captureFileName, int exposureMs,
                                     const CountSetting& count) {
    if (Recording())
        return Status();
    camera_.CancelExposure();
    if (captureFileName.isEmpty())
        return Status::Failure(kNoFileError);
    const Result<int> value = CountValue(count);
    if (value.Failed())
        return value.Outcome();
    if (Status room = recorder_.CheckDiskRoom(captureFileName.toStdString(), capture_.CaptureWidth,
                                              capture_.CaptureHeight, capture_.TenBitMode);
        room.Failed())
        return room;
    recorder_.ResetForStart();
    recorder_.FrameBaseName =
        captureFileName.toStdString() + (recorder_.RecordFormat == kFormatFIT ? ".FIT" : ".BMP");
    recorder_.OutputHandle = kOutputFrameFiles;
    capture_.ExposureMs = exposureMs;
    recorder_.ExposureMs = exposureMs; // what the log and the FITS keywords name
    EmptyQueue();
    SetLimit(value.Value(), count.Seconds);
    recordingFileName_.clear();
    Begin(exposureMs);
    if (EndMeasurement)
        EndMeasurement();
    return Status();
}

void RecordingControl::Cancel() {
    camera_.CancelExposure();
    recorder_.Cancel();
}

} // namespace orbicap
