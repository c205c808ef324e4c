#include "VideoCapture.h"

#include "capture/Messages.h"
#include "capture/ThreadHandoff.h"

#include <QCoreApplication>

#include <chrono>
#include <new>
#include <stdexcept>
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

std::string FrameMemoryError(std::int32_t width, std::int32_t height, bool tenBit) {
    const auto bytes = static_cast<long long>(width) * height * (tenBit ? 2 : 1);
    return "not enough memory for a frame of " + std::to_string(width) + " x " +
           std::to_string(height) + " (" + std::to_string(bytes) + " bytes)";
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
        camera_.ExposureSemaphore(camera_.ExposureSem().Handle());
        acquireFrame_ = MakeRecord();
        readyFrame_.reset();
        while (KeepRunning(stop))
            Pass(stop);
    } catch (const std::exception& error) {
        Fail(error.what());
    } catch (...) {
        Fail("unknown error");
    }
    if (exposing_ && readyFrame_) // the driver may still write into it
        camera_.KeepLentBlock(std::move(readyFrame_->Data));
    readyFrame_.reset();
    acquireFrame_.reset();
    const bool failed = !FailureMessage().empty();
    stopped_ = true;
    if (failed) // last, so that whoever hears of it finds the thread stopped
        Post(WM_CAPTUREFAILED);
}

void TVideoCapture::Fail(const std::string& reason) {
    // A finished frame that was not queued yet is still a good frame.
    if (readyFrame_ && !exposing_) {
        queue_.AppendFrame(std::move(readyFrame_));
        PostFrameReady();
    }
    std::lock_guard guard(failureLock_);
    failure_ = reason;
}

std::string TVideoCapture::FailureMessage() const {
    std::lock_guard guard(failureLock_);
    return failure_;
}

std::unique_ptr<ImageLst> TVideoCapture::MakeRecord() {
    const std::int32_t width = CaptureWidth, height = CaptureHeight;
    const bool tenBit = TenBitMode;
    try {
        return queue_.NewFrame(width, height, overlay_.Text(), tenBit);
    } catch (const std::bad_alloc&) {
        throw std::runtime_error(FrameMemoryError(width, height, tenBit));
    }
}

void TVideoCapture::ApplySettings(int exposureMs, int gain, int extra, const Geometry& geometry) {
    camera_.DynamicRange(geometry.TenBit ? 10 : 8);
    camera_.ProgramCamera(exposureMs, gain, extra, 0);
    TenBitMode = geometry.TenBit;
    ImageLst& frame = *acquireFrame_;
    if (frame.Is16Bit != geometry.TenBit || frame.Width != geometry.Width ||
        frame.Height != geometry.Height) {
        try {
            frame.Reshape(geometry.Width, geometry.Height, geometry.TenBit);
        } catch (const std::bad_alloc&) {
            throw std::runtime_error(
                FrameMemoryError(geometry.Width, geometry.Height, geometry.TenBit));
        }
    }
}

void TVideoCapture::PostFrameReady() {
    Post(WM_FRAMEREADY);
}

void TVideoCapture::Post(QEvent::Type type) {
    if (QObject* receiver = MainWindowHandle.load()) {
        auto* message = new QEvent(type);
        HandOver(message);
        QCoreApplication::postEvent(receiver, message);
    }
}

void TVideoCapture::StartExposure(ImageLst& record) {
    // A driver that released the semaphore more than once for an earlier
    // exposure must not make this one look complete before it is.
    while (camera_.ExposureSem().TryWait()) {
    }
    camera_.ThreadedExposure(record.Data.get());
}

void TVideoCapture::Pass(std::stop_token& stop) {
    if (!WaitForRoomInQueue(stop))
        return;
    const int exposureMs = ExposureMs;
    if (!Recording) {
        const Geometry geometry{RequestedWidth, RequestedHeight, TenBitRequested};
        camera_.Subframe(geometry.Width, geometry.Height);
        CaptureWidth = geometry.Width;
        CaptureHeight = geometry.Height;
        ApplySettings(exposureMs, Gain, ExtraSetting, geometry);
    }
    overlay_.Compose(CurrentLocalDateTime());
    const bool paced = FocusAidVisible || MeasureActive;

    if (exposureMs < kShortExposureLimitMs) {
        // The next exposure starts before the previous frame is queued, so
        // the camera idles only for the reprogramming between two frames.
        const Tick started = ticks_.Now();
        StartExposure(*acquireFrame_);
        if (readyFrame_) {
            queue_.AppendFrame(std::move(readyFrame_));
            PostFrameReady();
        }
        FpsCount.fetch_add(1);
        readyFrame_ = std::move(acquireFrame_);
        exposing_ = true;
        acquireFrame_ = MakeRecord();
        if (!WaitForExposure(started, exposureMs, stop))
            return;
        if (paced)
            PauseWhileRunning(150, stop);
    } else {
        readyFrame_ = std::move(acquireFrame_);
        const Tick started = ticks_.Now();
        StartExposure(*readyFrame_);
        exposing_ = true;
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
        if (camera_.ExposureSem().WaitFor(kWaitSliceMs)) {
            exposing_ = false;
            // Our wake-up may have pre-empted the driver's thread between two
            // releases of one exposure; let it finish, so that the surplus is
            // drained before the next exposure starts rather than taken for it.
            std::this_thread::yield();
            return true;
        }
        if (KeepRunning(stop))
            continue; // a slow camera is still a camera: keep waiting
        const Tick giveUp = started + static_cast<Tick>(exposureMs) + kGiveUpMarginMs;
        if (TickAfter(ticks_.Now(), giveUp)) {
            // The camera stopped delivering. Ask it to stop, and keep the
            // block it was lent alive, since it may still write into it.
            camera_.CancelExposure();
            if (readyFrame_)
                camera_.KeepLentBlock(std::move(readyFrame_->Data));
            readyFrame_.reset();
            exposing_ = false;
            return false;
        }
    }
}

bool TVideoCapture::WaitForRoomInQueue(std::stop_token& stop) {
    for (;;) {
        const std::size_t limit = FramesAheadLimit;
        if (limit == 0 || queue_.Length() < limit)
            return true;
        if (!KeepRunning(stop))
            return false;
        // The queue holds frames for a while yet; a short sleep keeps the
        // core free for the writer without letting it run dry.
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
}

void TVideoCapture::PauseWhileRunning(int ms, std::stop_token& stop) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (KeepRunning(stop) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, 10)));
}

} // namespace orbicap
