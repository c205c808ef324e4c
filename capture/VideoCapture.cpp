#include "VideoCapture.h"

#include "capture/Messages.h"
#include "capture/ThreadHandoff.h"

#include <QCoreApplication>

#include <chrono>
#include <sys/resource.h>
#include <unistd.h>

namespace orbicap {

namespace {

constexpr unsigned kWaitSliceMs = 20;

int NiceValue(TVideoCapture::Priority priority) {
    switch (priority) {
    case TVideoCapture::Priority::Normal:
        return 0;
    case TVideoCapture::Priority::Raised:
        return -5;
    case TVideoCapture::Priority::TimeCritical:
        return -15;
    }
    return 0;
}

} // namespace

TVideoCapture::TVideoCapture(CMOSDLL32& camera, FrameQueue& queue, OverlayText& overlay,
                             const TickSource& ticks)
    : camera_(camera), queue_(queue), overlay_(overlay), ticks_(ticks) {}

TVideoCapture::~TVideoCapture() {
    Stop();
}

bool TVideoCapture::OpenCamera() {
    return camera_.openUSB && camera_.openUSB(0) == 1;
}

void TVideoCapture::Resume() {
    std::call_once(started_, [this] {
        // The start state is set here rather than in the thread, so that the
        // window thread can change any of it right after Resume without racing
        // the thread's own start.
        RequestedWidth = 752;
        CaptureWidth = 752;
        RequestedHeight = 480;
        CaptureHeight = 480;
        FpsStart = ticks_.Now();
        FpsCount = 0;
        Recording = false;
        Running = true;
        thread_ = std::jthread([this](std::stop_token stop) { Execute(stop); });
    });
}

void TVideoCapture::Stop() {
    Running = false;
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
}

void TVideoCapture::SetPriority(Priority priority) {
    priority_ = priority;
    ApplyPriority();
}

void TVideoCapture::ApplyPriority() {
    if (const int tid = threadId_.load(); tid != 0)
        setpriority(PRIO_PROCESS, static_cast<id_t>(tid), NiceValue(priority_.load()));
}

bool TVideoCapture::KeepRunning(const std::stop_token& stop) const {
    return Running.load() && !stop.stop_requested();
}

void TVideoCapture::Execute(std::stop_token stop) {
    threadId_ = static_cast<int>(gettid());
    ApplyPriority();
    try {
        camera_.ExposureSemaphore(exposureSem_.Handle());
        acquireFrame_ = MakeRecord();
        readyFrame_.reset();
        while (KeepRunning(stop))
            Pass(stop);
    } catch (...) {
        // An allocation or driver fault ends the loop without a message; the
        // window keeps running and simply gets no more frames.
    }
    readyFrame_.reset();
    acquireFrame_.reset();
    stopped_ = true;
}

std::unique_ptr<ImageLst> TVideoCapture::MakeRecord() {
    return queue_.NewFrame(CaptureWidth, CaptureHeight, overlay_.Text(), TenBitMode);
}

void TVideoCapture::ApplySettings(int exposureMs, int gain, int extra) {
    camera_.DynamicRange(TenBitRequested ? 10 : 8);
    camera_.ProgramCamera(exposureMs, gain, extra, 0);
    TenBitMode = TenBitRequested.load();
    ImageLst& frame = *acquireFrame_;
    if (frame.Is16Bit != TenBitMode || frame.Width != CaptureWidth || frame.Height != CaptureHeight)
        frame.Reshape(CaptureWidth, CaptureHeight, TenBitMode);
}

void TVideoCapture::PostFrameReady() {
    if (QObject* receiver = MainWindowHandle.load()) {
        auto* message = new QEvent(WM_FRAMEREADY);
        HandOver(message);
        QCoreApplication::postEvent(receiver, message);
    }
}

void TVideoCapture::Pass(std::stop_token& stop) {
    const int exposureMs = ExposureMs;
    if (!Recording) {
        camera_.Subframe(RequestedWidth, RequestedHeight);
        CaptureWidth = RequestedWidth.load();
        CaptureHeight = RequestedHeight.load();
        ApplySettings(exposureMs, Gain, ExtraSetting);
    }
    overlay_.Compose(CurrentLocalDateTime());
    const bool paced = FocusAidVisible || MeasureActive;

    if (exposureMs < kShortExposureLimitMs) {
        // The next exposure starts before the previous frame is queued, so
        // the camera idles only for the reprogramming between two frames.
        const Tick started = ticks_.Now();
        camera_.ThreadedExposure(acquireFrame_->Data.get());
        if (readyFrame_) {
            queue_.AppendFrame(std::move(readyFrame_));
            PostFrameReady();
        }
        FpsCount.fetch_add(1);
        readyFrame_ = std::move(acquireFrame_);
        acquireFrame_ = MakeRecord();
        if (!WaitForExposure(started, exposureMs, stop))
            return;
        if (paced)
            PauseWhileRunning(150, stop);
    } else {
        readyFrame_ = std::move(acquireFrame_);
        const Tick started = ticks_.Now();
        camera_.ThreadedExposure(readyFrame_->Data.get());
        acquireFrame_ = MakeRecord();
        if (!WaitForExposure(started, exposureMs, stop))
            return;
        queue_.AppendFrame(std::move(readyFrame_));
        FpsCount.fetch_add(1);
        PostFrameReady();
        if (paced)
            PauseWhileRunning(250, stop);
        if (!Recording)
            PauseWhileRunning(100, stop);
    }
}

bool TVideoCapture::WaitForExposure(Tick started, int exposureMs, std::stop_token& stop) {
    for (;;) {
        if (exposureSem_.WaitFor(kWaitSliceMs))
            return true;
        if (KeepRunning(stop))
            continue; // a slow camera is still a camera: keep waiting
        const Tick giveUp = started + static_cast<Tick>(exposureMs) + kGiveUpMarginMs;
        if (TickAfter(ticks_.Now(), giveUp)) {
            // The camera stopped delivering. Ask it to stop, and keep the
            // block it was lent alive, since it may still write into it.
            camera_.CancelExposure();
            if (readyFrame_)
                abandoned_.push_back(std::move(readyFrame_));
            return false;
        }
    }
}

void TVideoCapture::PauseWhileRunning(int ms, std::stop_token& stop) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (KeepRunning(stop) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, 10)));
}

} // namespace orbicap
