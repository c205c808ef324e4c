#include "AVIExport.h"

#include "platform/SystemInfo.h"
#include "recording/Bmp.h"
#include "recording/FileName.h"
#include "recording/Fits.h"
#include "recording/UtcTime.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace orbicap {

namespace {

constexpr Tick kHeaderPatchIntervalMs = 1000;
constexpr Tick kInfoIntervalMs = 250;
constexpr Tick kMemoryCheckIntervalMs = 100;

QString MemoryText(std::uint64_t bytes) {
    return QString::number(static_cast<qulonglong>(bytes >> 20));
}

} // namespace

TAVIExport::TAVIExport(FrameQueue& queue, TVideoCapture& capture, const CMOSDLL32& camera,
                       RecorderView& view, const TickSource& ticks, std::int64_t aviPartLimit)
    : FreeMemory(FreePhysicalMemory), QueueBudgetBytes(TotalPhysicalMemory() / 2), queue_(queue),
      capture_(capture), camera_(camera), view_(view), ticks_(ticks), avi_(aviPartLimit),
      fitsBuffer_(std::make_unique<std::uint8_t[]>(kFitsBufferBytes)) {}

TAVIExport::~TAVIExport() {
    if (IsRecording())
        FinishRecording();
}

void TAVIExport::ResetForStart() {
    error_.clear();
    files_.clear();
    queueBudgetMessage_.clear();
    cancelled_ = false;
    disk_.Stop();
    diskText_.clear();
    logFormat_ = RecordFormat;
    log_.Start(UtcMsFromLocalDayCount(NowAsDayCount(), UtcOffset100ns()));
}

Status TAVIExport::CheckDiskRoom(const std::string& captureFileName, int width, int height,
                                 bool is16Bit) const {
    const std::string folder = CaptureFolder(captureFileName);
    return DiskRoomForFirstFrame(folder, FreeDiskSpace(folder),
                                 FirstFrameBytes(RecordFormat, width, height, is16Bit, ColorCamera,
                                                 avi_.Layer().UsesGrey()));
}

void TAVIExport::Cancel() {
    FrameLimit = 0;
    cancelled_ = true;
}

Status TAVIExport::StartRecording(const std::string& fileName, int width, int height,
                                  bool is16Bit) {
    ResetForStart();
    Status opened;
    if (RecordFormat == kFormatSER) {
        opened = ser_.CreateSerFile(fileName, width, height, is16Bit ? 16 : 8);
        if (opened.Ok())
            files_.push_back(fileName);
        OutputHandle = opened.Ok() ? kOutputSer : kOutputIdle;
    } else {
        // Colour frames are rendered one pixel narrower and lower than the
        // mosaic; the stream takes the rendered size so no frame is padded.
        const int streamWidth = ColorCamera ? width - 1 : width;
        const int streamHeight = ColorCamera ? height - 1 : height;
        opened =
            avi_.OpenAviFile(fileName, streamWidth, streamHeight, AviRateForExposure(ExposureMs));
        if (opened.Ok())
            files_.push_back(avi_.PartName(1)); // the name without a part number is never made
        OutputHandle = opened.Ok() ? avi_.AviHandle() : kOutputIdle;
    }
    error_ = opened.Message();
    lastPatch_ = lastInfo_ = lastMemoryCheck_ = ticks_.Now();
    return opened;
}

void TAVIExport::RecordStep() {
    if (OutputHandle == kOutputIdle) {
        view_.SetProgressText(QStringLiteral("Idle"));
        return;
    }
    const Tick now = ticks_.Now();
    const bool store = FrameLimit == kLimitNone || FrameLimit > 0 ||
                       (FrameLimit == kLimitDeadline && TickBefore(now, Deadline));
    if (!store) {
        EndRecording();
        return;
    }
    if (MemoryRunningLow()) {
        EndWithError("Recording stopped: free memory fell below " +
                     MemoryText(MemorySafetyMargin).toStdString() +
                     " MB because the disk cannot keep up with the camera. " +
                     std::to_string(StoredFrames) + " frames were stored.");
        // Queued frames cannot be stored any more; give their memory back.
        while (queue_.FrameQueueHead())
            queue_.DropOldestFrame();
        return;
    }
    CheckQueueBudget();
    log_.QueueSeen(queue_.Length());
    switch (StoreFrame()) {
    case StoreResult::QueueEmpty:
        return; // nothing stored, nothing counted
    case StoreResult::Failed:
        EndWithError(error_);
        return;
    case StoreResult::Stored:
        break;
    }
    if (FrameLimit == kLimitDeadline || FrameLimit == kLimitNone) {
        view_.SetProgressText(QString());
    } else if (--FrameLimit > 0) {
        view_.SetProgressText(QStringLiteral("%1 Frames left").arg(FrameLimit));
    }
    if (OutputHandle == kOutputSer && TickAfter(now, lastPatch_ + kHeaderPatchIntervalMs)) {
        // A crash now still leaves a file whose header counts its frames.
        lastPatch_ = now;
        if (const Status patched = ser_.PatchFrameCount(); patched.Failed()) {
            EndWithError(patched.Message());
            return;
        }
    }
    UpdateInfo(false);
}

void TAVIExport::CheckQueueBudget() {
    if (!queueBudgetMessage_.empty() || queue_.Bytes() <= QueueBudgetBytes)
        return;
    // No frame the camera delivered so far is lost: the recording ends as
    // Cancel ends it, but only after the frames queued now are stored. Those
    // that arrive meanwhile are released at the end. The free-memory check
    // above still ends it sooner if memory runs out while they are stored.
    const auto queued = static_cast<std::int32_t>(queue_.Length());
    FrameLimit = FrameLimit > 0 ? std::min(FrameLimit, queued) : queued;
    queueBudgetMessage_ = "Recording stopped: the frame queue passed its queue limit of " +
                          MemoryText(QueueBudgetBytes).toStdString() +
                          " MB because storage cannot keep up with the camera. The " +
                          std::to_string(queue_.Length()) +
                          " frames queued by then were stored first.";
}

bool TAVIExport::MemoryRunningLow() {
    const Tick now = ticks_.Now();
    if (!TickAfter(now, lastMemoryCheck_ + kMemoryCheckIntervalMs))
        return false;
    lastMemoryCheck_ = now;
    return FreeMemory() < MemorySafetyMargin;
}

void TAVIExport::UpdateInfo(bool force) {
    const Tick now = ticks_.Now();
    if (!force && !TickAfter(now, lastInfo_ + kInfoIntervalMs))
        return;
    lastInfo_ = now;
    if (disk_.Started()) {
        const DiskWatch::Reading disk =
            disk_.Update(FreeDiskSpace(disk_.Folder()), (now - StartTick) / 1000.0, StoredFrames);
        diskText_ = disk.Text;
        if (disk.Warning)
            view_.ReportWarning(QString::fromStdString(*disk.Warning));
    }
    const std::uint64_t queued = queue_.Bytes();
    const std::uint64_t percent = QueueBudgetBytes ? queued * 100 / QueueBudgetBytes : 100;
    // The disk comes first: of the two it is what a long recording runs out of.
    view_.SetInfoText((diskText_.isEmpty() ? QString() : diskText_ + QStringLiteral("; ")) +
                      QStringLiteral("Queue: %1 frames, %2% of its %3 MB limit, free memory %4 MB")
                          .arg(queue_.Length())
                          .arg(static_cast<qulonglong>(percent))
                          .arg(MemoryText(QueueBudgetBytes))
                          .arg(MemoryText(FreeMemory())));
}

TAVIExport::StoreResult TAVIExport::StoreFrame() {
    ImageLst* frame = queue_.FrameQueueHead();
    if (!frame)
        return StoreResult::QueueEmpty;
    Status stored;
    switch (RecordFormat) {
    case kFormatAVI:
        stored = StoreAvi(*frame);
        break;
    case kFormatFIT:
        stored = StoreFits(*frame);
        break;
    case kFormatSER:
        stored = StoreSer(*frame);
        break;
    case kFormatBMP:
        stored = StoreBmp(*frame);
        break;
    default:
        stored = Status::Failure("Unknown recording format");
        break;
    }
    if (stored.Failed()) {
        error_ = stored.Message();
        return StoreResult::Failed;
    }
    log_.FrameStored(UtcMsFromLocalDayCount(frame->TimeStamp, UtcOffset100ns()));
    if (!disk_.Started())
        disk_.Start(CaptureFolder(files_.front()),
                    FrameBytes(RecordFormat, frame->Width, frame->Height, frame->Is16Bit,
                               ColorCamera, avi_.Layer().UsesGrey()));
    ++StoredFrames;
    queue_.DropOldestFrame();
    return StoreResult::Stored;
}

Status TAVIExport::StoreSer(ImageLst& frame) {
    if (OutputHandle != kOutputSer)
        return Status::Failure("The SER file of this recording is not open");
    return ser_.AddSerFrame(frame.Data.get(), frame.Width * frame.Height, frame.TimeStamp);
}

Status TAVIExport::StoreAvi(ImageLst& frame) {
    RenderFrame(frame, ColorCamera, camera_, renderBitmap_, OverlayVisible, Style);
    const std::int64_t byteCount = 3ll * (renderBitmap_.Width - 1) * (renderBitmap_.Height - 1);
    if (Status written = avi_.WriteAviFrame(renderBitmap_.Bits.data(), renderBitmap_.Width,
                                            renderBitmap_.Height, byteCount);
        written.Failed())
        return written;
    // AviPart() is the number the next part will carry.
    const std::string part = avi_.PartName(avi_.AviPart() - 1);
    if (files_.empty() || files_.back() != part)
        files_.push_back(part);
    return Status();
}

Status TAVIExport::StoreFits(ImageLst& frame) {
    if (ColorCamera) {
        if (frame.Is16Bit)
            camera_.debayerImageFITWORD(reinterpret_cast<const unsigned short*>(frame.Data.get()),
                                        reinterpret_cast<unsigned short*>(fitsBuffer_.get()),
                                        frame.Width, frame.Height);
        else
            camera_.debayerImageFITBYTE(frame.Data.get(), fitsBuffer_.get(), frame.Width,
                                        frame.Height);
    }
    const std::string name = NextFrameFileName(FrameBaseName, FrameFileNumber);
    const FitsObservation observation =
        FitsObservationKeywords
            ? ObservationOf(frame, ExposureMs, Gain, Setup.Model, UtcOffset100ns())
            : FitsObservation{};
    Status written = WriteFitsFile(name, frame, ColorCamera, fitsBuffer_.get(),
                                   FitsObservationKeywords ? &observation : nullptr);
    if (written.Ok())
        files_.push_back(name);
    return written;
}

Status TAVIExport::StoreBmp(ImageLst& frame) {
    RenderFrame(frame, ColorCamera, camera_, renderBitmap_, OverlayVisible, Style);
    const std::string name = NextFrameFileName(FrameBaseName, FrameFileNumber);
    Status saved =
        SaveBmpFile(name, renderBitmap_.Bits.data(), renderBitmap_.Width, renderBitmap_.Height);
    if (saved.Ok())
        files_.push_back(name);
    return saved;
}

void TAVIExport::FinishRecording() {
    const bool wasRecording = IsRecording();
    CloseOutput();
    if (wasRecording) {
        // Only the program's end closes a running recording this way; a file
        // that could not be finished must still be reported.
        cancelled_ = true;
        WriteLog();
        if (!error_.empty())
            view_.ReportError(QString::fromStdString(error_));
    }
}

void TAVIExport::CloseOutput() {
    const bool oneFile = OutputHandle != kOutputIdle && OutputHandle != kOutputFrameFiles;
    Status closed;
    if (OutputHandle == kOutputSer)
        closed = ser_.CloseSerFile();
    else if (oneFile)
        closed = avi_.CloseAviFile();
    if (closed.Failed() && error_.empty())
        error_ = closed.Message();
    if (oneFile) {
        // Writes to a file that was deleted or moved away all succeed, so
        // only its absence at the end tells that the recording is not where
        // the user will look for it.
        for (const std::string& file : files_) {
            if (QFileInfo::exists(QString::fromStdString(file)))
                continue;
            const std::string removed =
                "The recording file " + file + " was removed while recording.";
            error_ = error_.empty() ? removed : error_ + " " + removed;
        }
    }
    OutputHandle = kOutputIdle;
    capture_.Recording = false;
    view_.SetProgressText(QString());
    view_.RecordingEnded();
}

void TAVIExport::EndRecording() {
    CloseOutput(); // also clears the capture thread's Recording flag
    ShowLastCapture();
    FrameLimit = 0;
    if (!queueBudgetMessage_.empty()) {
        // What arrived after the limit was passed is not stored; the window
        // thread would otherwise release it only one frame per new frame.
        while (queue_.FrameQueueHead())
            queue_.DropOldestFrame();
        error_ = error_.empty() ? queueBudgetMessage_ : queueBudgetMessage_ + " " + error_;
    }
    WriteLog();
    if (!error_.empty())
        view_.ReportError(QString::fromStdString(error_));
}

void TAVIExport::Abort(const std::string& message) {
    if (IsRecording())
        EndWithError(message);
}

void TAVIExport::EndWithError(const std::string& message) {
    error_ = message;
    EndRecording();
}

void TAVIExport::WriteLog() {
    // A per-frame recording that stored nothing has no file to sit beside.
    if (!WriteCaptureLog || files_.empty())
        return;
    CaptureLogRecord record;
    record.Driver = camera_.Description();
    record.Camera = Setup;
    record.Width = capture_.CaptureWidth;
    record.Height = capture_.CaptureHeight;
    record.Depth = capture_.TenBitMode ? 10 : 8;
    record.Colour = ColorCamera;
    record.ExposureMs = ExposureMs;
    record.Gain = Gain;
    record.Format = logFormat_;
    record.Frames = StoredFrames;
    record.Ending = !error_.empty() ? error_ : cancelled_ ? kEndedCancelled : kEndedAtLimit;
    log_.Fill(record, UtcMsFromLocalDayCount(NowAsDayCount(), UtcOffset100ns()));
    if (const Status written =
            WriteCaptureLogFile(CaptureLogPath(files_.front()), FormatCaptureLog(record));
        written.Failed())
        error_ = error_.empty() ? written.Message() : error_ + " " + written.Message();
}

void TAVIExport::ShowLastCapture() {
    const Tick elapsedMs = ticks_.Now() - StartTick + 1;
    const double seconds = elapsedMs / 1000.0;
    const double rate = StoredFrames / seconds;
    view_.ShowLastCapture(seconds, rate, StoredFrames);
}

} // namespace orbicap
