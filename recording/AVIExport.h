#pragma once

#include "capture/CMOSDLL32.h"
#include "capture/ImageList.h"
#include "capture/VideoCapture.h"
#include "pipeline/Overlay.h"
#include "platform/FreeSpace.h"
#include "platform/TickCounter.h"
#include "recording/AviWriter.h"
#include "recording/CameraSetup.h"
#include "recording/CaptureLog.h"
#include "recording/DiskSpace.h"
#include "recording/RecordFormat.h"
#include "recording/RecorderView.h"
#include "recording/RenderFrame.h"
#include "recording/SER.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace orbicap {

// The recorder. Every step runs on the window thread: one WM_FRAMESTORE
// stores the oldest queued frame in the chosen format, releases it and
// counts it against the limit; the first step that does not store ends the
// recording and shows the report.
class TAVIExport {
public:
    TAVIExport(FrameQueue& queue, TVideoCapture& capture, const CMOSDLL32& camera,
               RecorderView& view, const TickSource& ticks = SystemTicks(),
               std::int64_t aviPartLimit = kAviPartLimitBytes);
    ~TAVIExport();

    // Limit and output, written by the recording commands.
    std::int32_t FrameLimit = 0;
    std::int32_t OutputHandle = kOutputIdle;
    Tick Deadline = 0;
    std::int32_t RecordFormat = kFormatFIT;
    std::string FrameBaseName;
    bool ColorCamera = false;

    // What AVI and BMP frames are stamped with.
    bool OverlayVisible = false;
    OverlayStyle Style;

    // Unit state of the current (or last) recording.
    Tick StartTick = 0;
    std::int32_t StoredFrames = 0;
    std::int32_t FrameFileNumber = 0;
    // Exposure of the recording, for the AVI header's frame rate.
    int ExposureMs = 100;
    // Gain of the recording. The camera is not reprogrammed while recording,
    // so a slider moved meanwhile does not change what the frames were taken
    // with, and the log and FITS headers must not follow it.
    int Gain = 0;

    // What recordings say of themselves: the camera and its settings, a
    // capture log NAME.txt beside each recording, and the observation
    // keywords in FITS headers.
    CameraSetup Setup;
    bool WriteCaptureLog = true;
    bool FitsObservationKeywords = false;

    // Free space of the output folder; replaceable in tests.
    FreeSpaceSource FreeDiskSpace = FreeDiskBytes;
    // Why a recording of this size into captureFileName's folder must not
    // start: the folder cannot hold its first frame with the file headers.
    Status CheckDiskRoom(const std::string& captureFileName, int width, int height,
                         bool is16Bit) const;
    // "Disk: 41.2 GB free, 38 min" while recording, empty before it is known.
    const QString& DiskText() const { return diskText_; }

    // Opens a SER or AVI file.
    Status StartRecording(const std::string& fileName, int width, int height, bool is16Bit);
    // Forgets the error and the file list of the last recording.
    void ResetForStart();
    void RecordStep();
    // Closes the output, writes the capture log and returns to idle (the end
    // of every recording).
    void FinishRecording();
    // Ends the recording at the next step (Cancel); its log says so.
    void Cancel();
    // Ends a running recording at once with a message for the user, with the
    // report of what was stored (a stalled camera, shutdown).
    void Abort(const std::string& message);

    bool IsRecording() const { return OutputHandle != kOutputIdle; }
    const std::string& ErrorText() const { return error_; }
    // Files written by the current or last recording, in order.
    const std::vector<std::string>& FilesWritten() const { return files_; }
    void ClearFilesWritten() { files_.clear(); }

    // The recording is ended with a message once free memory falls below
    // this, so that a disk that cannot keep up never gets the program killed.
    std::uint64_t MemorySafetyMargin = 256ull << 20;
    // Free memory probe; replaceable in tests.
    std::function<std::uint64_t()> FreeMemory;
    // Bytes the frame queue may hold before the recording is ended because
    // storage cannot keep up: the frames queued by then are still stored,
    // later ones are released. Half of the physical memory unless set.
    std::uint64_t QueueBudgetBytes;
    // The AVI writer, kept for the whole run so that the raw-codec choice
    // (UseAGRY) holds for every recording.
    AviWriter& Avi() { return avi_; }

private:
    enum class StoreResult { Stored, QueueEmpty, Failed };
    StoreResult StoreFrame();
    Status StoreSer(ImageLst& frame);
    Status StoreAvi(ImageLst& frame);
    Status StoreFits(ImageLst& frame);
    Status StoreBmp(ImageLst& frame);
    void EndWithError(const std::string& message);
    void EndRecording();
    void CloseOutput();
    void WriteLog();
    void ShowLastCapture();
    void UpdateInfo(bool force);
    bool MemoryRunningLow();
    void CheckQueueBudget();

    FrameQueue& queue_;
    TVideoCapture& capture_;
    const CMOSDLL32& camera_;
    RecorderView& view_;
    const TickSource& ticks_;

    SerWriter ser_;
    AviWriter avi_;
    RenderBitmap renderBitmap_;
    std::unique_ptr<std::uint8_t[]> fitsBuffer_;

    std::string error_;
    std::vector<std::string> files_;
    Tick lastPatch_ = 0;
    Tick lastInfo_ = 0;
    Tick lastMemoryCheck_ = 0;
    // Set once the queue passed its budget: what the user is told at the end.
    std::string queueBudgetMessage_;
    bool cancelled_ = false;
    DiskWatch disk_;
    QString diskText_;
    CaptureLogTracker log_;
    int logFormat_ = kFormatFIT;
};

} // namespace orbicap
