#pragma once

#include "capture/CMOSDLL32.h"
#include "capture/ImageList.h"
#include "capture/OverlayText.h"
#include "platform/Semaphore.h"
#include "platform/TickCounter.h"

#include <QObject>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

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

    enum class Priority { Normal, Raised, TimeCritical };
    // Best effort: an unprivileged process cannot raise a thread above normal.
    void SetPriority(Priority priority);

    static constexpr int kGiveUpMarginMs = 2000;
    static constexpr int kShortExposureLimitMs = 500;

private:
    void Execute(std::stop_token stop);
    void Pass(std::stop_token& stop);
    void ApplySettings(int exposureMs, int gain, int extra);
    void PostFrameReady();
    std::unique_ptr<ImageLst> MakeRecord();
    bool WaitForExposure(Tick started, int exposureMs, std::stop_token& stop);
    void PauseWhileRunning(int ms, std::stop_token& stop);
    bool KeepRunning(const std::stop_token& stop) const;
    void ApplyPriority();

    CMOSDLL32& camera_;
    FrameQueue& queue_;
    OverlayText& overlay_;
    const TickSource& ticks_;
    Semaphore exposureSem_{0, 1};

    std::unique_ptr<ImageLst> acquireFrame_;
    std::unique_ptr<ImageLst> readyFrame_;
    // Blocks still lent to a camera that stopped answering: freed only when
    // this object goes, since the driver may yet write into them.
    std::vector<std::unique_ptr<ImageLst>> abandoned_;

    std::atomic<Priority> priority_{Priority::Raised};
    std::atomic<int> threadId_{0};
    std::atomic<bool> stopped_{false};
    std::once_flag started_;
    std::jthread thread_;
};

} // namespace orbicap
