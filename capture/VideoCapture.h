#pragma once

#include "capture/CMOSDLL32.h"
#include "capture/ImageList.h"
#include "capture/OverlayText.h"
#include "platform/TickCounter.h"

#include <QEvent>
#include <QObject>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace orbicap {

// The capture thread: programs the camera, exposes into frame records, queues
// finished records and announces each with WM_FRAMEREADY. It never touches a
// window; the window thread talks to it only through the atomic fields below
// (taken over at the next pass) and the frame queue.
class TVideoCapture {
public:
    TVideoCapture(CMOSDLL32& camera, FrameQueue& queue, OverlayText& overlay,
                  const TickSource& ticks = SystemTicks());
    ~TVideoCapture();
    TVideoCapture(const TVideoCapture&) = delete;
    TVideoCapture& operator=(const TVideoCapture&) = delete;

    std::atomic<std::int32_t> Gain{0};
    std::atomic<bool> Recording{false};
    std::atomic<std::int32_t> ExtraSetting{0};
    std::atomic<std::int32_t> ExposureMs{100};
    std::atomic<bool> Running{false};
    std::atomic<std::int32_t> RequestedWidth{752};
    std::atomic<std::int32_t> RequestedHeight{480};
    std::atomic<std::int32_t> CaptureWidth{752};
    std::atomic<std::int32_t> CaptureHeight{480};
    std::atomic<Tick> FpsStart{0};
    std::atomic<std::int32_t> FpsCount{0};
    std::atomic<bool> TenBitRequested{false};
    std::atomic<bool> TenBitMode{false};
    std::atomic<bool> MeasureActive{false};
    std::atomic<bool> FocusAidVisible{false};
    // When non-zero, no exposure starts while this many frames wait in the
    // queue: the camera then runs at most that far ahead of whoever takes the
    // frames, instead of filling memory when it is faster than the disk.
    // 0 (the default) never holds the camera back.
    std::atomic<std::size_t> FramesAheadLimit{0};
    // Receiver of WM_FRAMEREADY in the window thread.
    std::atomic<QObject*> MainWindowHandle{nullptr};

    // openUSB(0) answered 1. Called from the window thread before Resume.
    bool OpenCamera();

    // Starts the thread (it is created suspended). Only the first call counts.
    void Resume();

    // Ends the loop and waits for the thread. A wait for an exposure first runs
    // to the end of that exposure; a camera that never delivers is given up
    // after the exposure length plus kGiveUpMarginMs.
    void Stop();

    // The thread ran and has left its loop (normally, by Stop, or on an error).
    bool Stopped() const { return stopped_.load(); }
    // Why the loop ended on an error; empty while it runs or after a normal
    // stop. The receiver gets WM_CAPTUREFAILED when this is set.
    std::string FailureMessage() const;

    enum class Priority { Normal, Raised, TimeCritical };
    // Best effort: an unprivileged process cannot raise a thread above normal.
    void SetPriority(Priority priority);

    static constexpr int kGiveUpMarginMs = 2000;
    static constexpr int kShortExposureLimitMs = 500;

private:
    // What the camera is programmed with for one pass; read once from the
    // requested fields so that the driver and the records never disagree.
    struct Geometry {
        std::int32_t Width;
        std::int32_t Height;
        bool TenBit;
    };

    void Execute(std::stop_token stop);
    void Pass(std::stop_token& stop);
    void ApplySettings(int exposureMs, int gain, int extra, const Geometry& geometry);
    void PostFrameReady();
    void Post(QEvent::Type type);
    void StartExposure(ImageLst& record);
    void Fail(const std::string& reason);
    std::unique_ptr<ImageLst> MakeRecord();
    bool WaitForExposure(Tick started, int exposureMs, std::stop_token& stop);
    void PauseWhileRunning(int ms, std::stop_token& stop);
    // False when the thread was asked to end while it waited.
    bool WaitForRoomInQueue(std::stop_token& stop);
    bool KeepRunning(const std::stop_token& stop) const;
    void ApplyPriority();

    CMOSDLL32& camera_;
    FrameQueue& queue_;
    OverlayText& overlay_;
    const TickSource& ticks_;

    std::unique_ptr<ImageLst> acquireFrame_;
    std::unique_ptr<ImageLst> readyFrame_;
    // readyFrame_'s block is lent to the driver for an exposure not yet done.
    bool exposing_ = false;

    mutable std::mutex failureLock_;
    std::string failure_;

    std::atomic<Priority> priority_{Priority::Raised};
    std::atomic<int> threadId_{0};
    std::atomic<bool> stopped_{false};
    std::once_flag started_;
    std::jthread thread_;
};

} // namespace orbicap
