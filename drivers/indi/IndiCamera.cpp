#include "IndiCamera.h"

#include "FitsFrame.h"
#include "FramePlacement.h"
#include "ServerProbe.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace orbicap::indi {

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kOpenLimit{10000};
constexpr milliseconds kCloseStepLimit{1500};
constexpr int kProbeTimeoutMs = 3000;
constexpr double kFastPollingMs = 10;
// A single exposure whose image has not come this long after its end is asked
// for again: the server may have dropped it.
constexpr milliseconds kSingleRetryMargin{3000};
// A stream frame overdue by this much restarts the stream: a camera whose
// stream stalls (the 1.9.9 CCD simulator's does, now and then, at short
// exposures) is back well within the program's stall rule.
constexpr milliseconds kStreamRestartMargin{4000};
constexpr milliseconds kStreamRestartPause{500};
constexpr int kCcdInterface = 1 << 1;

bool Near(double a, double b) {
    return std::fabs(a - b) <= 1e-6 + 1e-3 * std::fabs(b);
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

} // namespace

IndiCamera::IndiCamera() {
    worker_ = std::thread([this] { Run(); });
}

IndiCamera::~IndiCamera() {
    {
        Lock lock(mutex_);
        ShutdownLocked(lock);
        stopping_ = true;
    }
    wake_.notify_all();
    changed_.notify_all();
    worker_.join();
}

// ---- the program's calls ----

int IndiCamera::Open() {
    Lock lock(mutex_);
    ShutdownLocked(lock);
    const CameraLocation location = ReadCameraLocation();
    if (!location.server) {
        std::fprintf(stderr,
                     "ORBICAP_INDI_SERVER is \"%s\": it takes host or host:port (port 1..65535)\n",
                     location.serverText.c_str());
        return 0;
    }
    server_ = *location.server;
    device_.clear();
    cache_.Clear();
    messagesShown_.clear();
    blob_ = Blob{};
    lastFrame_.clear();
    blobCount_ = 0;
    lost_ = false;
    closing_ = false;
    streamStarted_ = false;
    savedPollingMs_.reset();
    previewLimitRaised_ = false;
    appliedGain_.reset();
    appliedHflip_.reset();
    appliedVflip_.reset();
    const Clock::time_point deadline = Clock::now() + kOpenLimit;
    const std::string where = server_.Text();

    lock.unlock();
    if (const auto refused = ProbeServer(server_.host, server_.port, kProbeTimeoutMs)) {
        std::fprintf(stderr, "Cannot reach the INDI server at %s: %s\n", where.c_str(),
                     refused->c_str());
        return 0;
    }
    auto client = std::make_unique<IndiClient>(*this);
    const bool connected = client->Connect(server_.host, server_.port);
    lock.lock();
    client_ = std::move(client);
    auto fail = [&](const std::string& why) {
        std::fprintf(stderr, "%s\n", why.c_str());
        ShutdownLocked(lock);
        return 0;
    };
    if (!connected)
        return fail("Cannot reach the INDI server at " + where + ": the connection failed");

    auto remaining = [&] {
        return std::max(milliseconds(0),
                        std::chrono::duration_cast<milliseconds>(deadline - Clock::now()));
    };
    WaitLocked(lock, remaining(), [&] { return !ChooseDeviceLocked(location.device).empty(); });
    device_ = ChooseDeviceLocked(location.device);
    if (lost_)
        return fail("The INDI server at " + where + " closed the connection");
    if (device_.empty())
        return fail((location.device.empty() ? std::string("No camera")
                                             : "No camera \"" + location.device + "\"") +
                    " on the INDI server at " + where + "; devices seen: " + DevicesSeenLocked());
    if (!On("CONNECTION", "CONNECT"))
        SetSwitchLocked(lock, "CONNECTION", "CONNECT", remaining());
    WaitLocked(lock, remaining(), [&] {
        return On("CONNECTION", "CONNECT") && Has("CCD_INFO") && Has("CCD_EXPOSURE");
    });
    if (!On("CONNECTION", "CONNECT") || !Has("CCD_INFO") || !Has("CCD_EXPOSURE"))
        return fail("The camera \"" + device_ + "\" on the INDI server at " + where +
                    " does not connect");
    IndiClient* link = client_.get();
    lock.unlock();
    link->ReceiveBlobs(device_);
    lock.lock();
    open_ = true;
    wake_.notify_all();
    return 1;
}

void IndiCamera::Close() {
    Lock lock(mutex_);
    ShutdownLocked(lock);
}

const char* IndiCamera::Description() {
    std::lock_guard lock(mutex_);
    const std::string text = device_.empty() ? "INDI camera at " + server_.Text()
                                             : "INDI: " + device_ + " at " + server_.Text();
    if (descriptions_.empty() || descriptions_.back() != text)
        descriptions_.push_back(text);
    return descriptions_.back().c_str();
}

void IndiCamera::SetWindow(int width, int height) {
    std::lock_guard lock(mutex_);
    settings_.width = std::clamp(width, 1, 752);
    settings_.height = std::clamp(height, 1, 480);
}

void IndiCamera::SetDepth(int bits) {
    std::lock_guard lock(mutex_);
    // Anything short of 10 bits delivers bytes: the smaller block can never
    // overrun what a caller allocated.
    settings_.bits = bits >= 10 ? 10 : 8;
}

void IndiCamera::Program(int exposureMs, int gain) {
    std::lock_guard lock(mutex_);
    settings_.exposureMs = std::clamp(exposureMs, 1, 3600000);
    settings_.gain = std::clamp(gain, 0, 100);
}

void IndiCamera::SetSemaphore(sem_t* semaphore) {
    std::lock_guard lock(mutex_);
    semaphore_ = semaphore;
}

void IndiCamera::Start(void* block) {
    std::lock_guard lock(mutex_);
    if (job_)
        FinishLocked(false); // a new exposure ends the old one, as a cancel would
    Job job;
    job.block = block;
    job.programmed = settings_;
    job.ticket = nextTicket_++;
    job.afterBlob = blobCount_;
    job.waitingSince = Clock::now();
    job_ = job;
    wake_.notify_all();
}

int IndiCamera::ExposeNow(void* block) {
    Lock lock(mutex_);
    if (!open_ || lost_)
        return 0;
    if (job_)
        FinishLocked(false);
    Job job;
    job.block = block;
    job.programmed = settings_;
    job.ticket = nextTicket_++;
    job.afterBlob = blobCount_;
    job.synchronous = true;
    job.waitingSince = Clock::now();
    const std::uint64_t ticket = job.ticket;
    job_ = job;
    wake_.notify_all();
    changed_.wait(lock, [&] { return finishedTicket_ >= ticket || stopping_; });
    return finishedTicket_ >= ticket && finishedWithFrame_ ? 1 : 0;
}

void IndiCamera::Cancel() {
    std::lock_guard lock(mutex_);
    if (!job_)
        return;
    abortWanted_ = job_->requested;
    FinishLocked(false);
    wake_.notify_all();
}

void IndiCamera::SetHorizontalFlip(bool on) {
    std::lock_guard lock(mutex_);
    hflip_ = on;
}

void IndiCamera::SetVerticalFlip(bool on) {
    std::lock_guard lock(mutex_);
    vflip_ = on;
}

// ---- the socket thread ----

void IndiCamera::OnProperty(const std::string& device, const std::string& property,
                            PropertySnapshot snapshot) {
    std::lock_guard lock(mutex_);
    const bool disconnected = property == "CONNECTION" && !snapshot.On("CONNECT");
    cache_.Store(device, property, std::move(snapshot));
    if (disconnected && open_ && !closing_ && device == device_) {
        lost_ = true;
        FailPendingLocked();
    }
    changed_.notify_all();
    wake_.notify_all();
}

void IndiCamera::OnPropertyRemoved(const std::string& device, const std::string& property) {
    std::lock_guard lock(mutex_);
    cache_.Remove(device, property);
    changed_.notify_all();
}

void IndiCamera::OnDeviceRemoved(const std::string& device) {
    std::lock_guard lock(mutex_);
    cache_.RemoveDevice(device);
    if (open_ && !closing_ && device == device_) {
        lost_ = true;
        FailPendingLocked();
    }
    changed_.notify_all();
    wake_.notify_all();
}

void IndiCamera::OnBlob(const std::string& device, const std::string& format, const void* data,
                        std::size_t bytes) {
    std::lock_guard lock(mutex_);
    if (device != device_)
        return;
    // Latest wins: an exposure is completed by the next frame after it, so a
    // frame nobody has taken yet is worth nothing once a newer one is here.
    blob_.format = format;
    const auto* first = static_cast<const std::uint8_t*>(data);
    blob_.bytes.assign(first, first + bytes);
    blob_.sequence = ++blobCount_;
    wake_.notify_all();
}

void IndiCamera::OnMessage(const std::string& device, const std::string& text) {
    // The server's reasons for refusing a value are worth seeing; but a
    // camera may repeat one warning on every frame, so each text (without its
    // time stamp) is shown once, and only warnings and errors at all.
    const std::size_t level = text.find('[');
    if (level == std::string::npos ||
        (text.compare(level, 7, "[ERROR]") != 0 && text.compare(level, 9, "[WARNING]") != 0))
        return;
    std::lock_guard lock(mutex_);
    if (device != device_ || !messagesShown_.insert(text.substr(level)).second)
        return;
    std::fprintf(stderr, "INDI %s: %s\n", device.c_str(), text.substr(level).c_str());
}

void IndiCamera::OnServerLost() {
    std::lock_guard lock(mutex_);
    lost_ = true;
    FailPendingLocked();
    changed_.notify_all();
    wake_.notify_all();
}

// ---- the worker ----

void IndiCamera::Run() {
    Lock lock(mutex_);
    for (;;) {
        if (stopping_)
            return;
        const bool usable = client_ && open_ && !lost_ && !closing_;
        if (usable && abortWanted_) {
            abortWanted_ = false;
            workerBusy_ = true;
            IndiClient* link = client_.get();
            const std::string device = device_;
            lock.unlock();
            link->SendSwitches(device, "CCD_ABORT_EXPOSURE", {{"ABORT", true}});
            lock.lock();
            workerBusy_ = false;
            changed_.notify_all();
            continue;
        }
        if (!usable || !job_) {
            wake_.wait(lock);
            continue;
        }
        workerBusy_ = true;
        ServeJobLocked(lock);
        workerBusy_ = false;
        changed_.notify_all();
    }
}

bool IndiCamera::PendingLocked(std::uint64_t ticket) const {
    return job_ && job_->ticket == ticket && !closing_ && !lost_ && !stopping_;
}

bool IndiCamera::UsesStreamLocked(const Settings& s) const {
    return ChoosePath(s.bits, s.exposureMs) == ExposurePath::Stream && Has("CCD_VIDEO_STREAM") &&
           Has("CCD_STREAM_FRAME");
}

SensorRect IndiCamera::FrameLocked(const Settings& s) const {
    const int sensorWidth = static_cast<int>(Value("CCD_INFO", "CCD_MAX_X").value_or(s.width));
    const int sensorHeight = static_cast<int>(Value("CCD_INFO", "CCD_MAX_Y").value_or(s.height));
    return CentredFrame(sensorWidth, sensorHeight, s.width, s.height, PhaseLocked());
}

void IndiCamera::ServeJobLocked(Lock& lock) {
    const std::uint64_t ticket = job_->ticket;
    const Settings s = job_->programmed;
    ApplyControlsLocked(lock, s);
    if (!PendingLocked(ticket))
        return;
    if (UsesStreamLocked(s)) {
        bool changed = false;
        const bool ready = PrepareStreamLocked(lock, s, changed);
        if (!PendingLocked(ticket))
            return;
        if (changed)
            job_->afterBlob = blobCount_;
        if (!ready) {
            // The device refused the stream; a retry later may find it willing.
            wake_.wait_for(lock, milliseconds(500));
            return;
        }
        if (changed)
            job_->waitingSince = Clock::now();
        if (DeliverStreamLocked())
            return;
        // A stream that shows itself on but sends nothing (a camera that
        // missed a quick off and on) is started again.
        const Clock::time_point restartAt =
            job_->waitingSince + milliseconds(job_->programmed.exposureMs) + kStreamRestartMargin;
        if (Clock::now() < restartAt) {
            wake_.wait_until(lock, restartAt);
            return;
        }
        // Off, a pause, and on again: a quick off and on is what can leave
        // such a stream stuck in the first place.
        SetSwitchLocked(lock, "CCD_VIDEO_STREAM", "STREAM_OFF");
        wake_.wait_for(lock, kStreamRestartPause, [&] { return !PendingLocked(ticket); });
        if (!PendingLocked(ticket))
            return;
        SetSwitchLocked(lock, "CCD_VIDEO_STREAM", "STREAM_ON");
        if (PendingLocked(ticket))
            job_->waitingSince = Clock::now();
        return;
    }
    if (!job_->requested) {
        const bool ready = PrepareSingleLocked(lock, s);
        if (!PendingLocked(ticket))
            return;
        if (!ready) {
            wake_.wait_for(lock, milliseconds(500));
            return;
        }
        const PropertySnapshot* exposure = cache_.Find(device_, "CCD_EXPOSURE");
        double seconds = s.exposureMs / 1000.0;
        if (const PropertyElement* e = exposure ? exposure->Find("CCD_EXPOSURE_VALUE") : nullptr)
            if (e->max > e->min)
                seconds = std::clamp(seconds, e->min, e->max);
        job_->requested = true;
        job_->requestedAt = Clock::now();
        job_->afterBlob = blobCount_;
        IndiClient* link = client_.get();
        const std::string device = device_;
        lock.unlock();
        link->SendNumbers(device, "CCD_EXPOSURE", {{"CCD_EXPOSURE_VALUE", seconds}});
        lock.lock();
        return;
    }
    DeliverSingleLocked(lock);
}

void IndiCamera::ApplyControlsLocked(Lock& lock, const Settings& s) {
    if (appliedGain_ != s.gain) {
        appliedGain_ = s.gain;
        // Gain 0..100 spans whatever range the device offers.
        const char* property = Has("CCD_GAIN") ? "CCD_GAIN" : "CCD_CONTROLS";
        const char* element = Has("CCD_GAIN") ? "GAIN" : "Gain";
        if (const PropertySnapshot* p = cache_.Find(device_, property))
            if (const PropertyElement* e = p->Find(element); e && e->max > e->min)
                SetNumbersLocked(lock, property,
                                 {{element, e->min + (e->max - e->min) * s.gain / 100.0}},
                                 milliseconds(1000));
    }
    if ((appliedHflip_ != hflip_ || appliedVflip_ != vflip_) && Has("FLIP")) {
        appliedHflip_ = hflip_;
        appliedVflip_ = vflip_;
        IndiClient* link = client_.get();
        const std::string device = device_;
        const bool h = hflip_;
        const bool v = vflip_;
        lock.unlock();
        link->SendSwitches(device, "FLIP", {{"FLIP_HORIZONTAL", h}, {"FLIP_VERTICAL", v}});
        lock.lock();
    }
}

bool IndiCamera::PrepareStreamLocked(Lock& lock, const Settings& s, bool& changed) {
    if (Has("CCD_STREAM_ENCODER") && !On("CCD_STREAM_ENCODER", "RAW")) {
        changed = true;
        if (!SetSwitchLocked(lock, "CCD_STREAM_ENCODER", "RAW"))
            return false;
    }
    if (!previewLimitRaised_) {
        previewLimitRaised_ = true;
        // The server drops stream frames beyond this rate; a capture program
        // wants every one the camera makes.
        if (const PropertySnapshot* limits = cache_.Find(device_, "LIMITS"))
            if (const PropertyElement* fps = limits->Find("LIMITS_PREVIEW_FPS"))
                SetNumbersLocked(lock, "LIMITS", {{"LIMITS_PREVIEW_FPS", fps->max}});
    }
    const SensorRect rect = FrameLocked(s);
    const SensorRect shown{static_cast<int>(Value("CCD_STREAM_FRAME", "X").value_or(-1)),
                           static_cast<int>(Value("CCD_STREAM_FRAME", "Y").value_or(-1)),
                           static_cast<int>(Value("CCD_STREAM_FRAME", "WIDTH").value_or(-1)),
                           static_cast<int>(Value("CCD_STREAM_FRAME", "HEIGHT").value_or(-1))};
    if (shown != rect) {
        changed = true;
        SetNumbersLocked(
            lock, "CCD_STREAM_FRAME",
            {{"X", rect.x}, {"Y", rect.y}, {"WIDTH", rect.width}, {"HEIGHT", rect.height}});
    }
    double seconds = s.exposureMs / 1000.0;
    if (const PropertySnapshot* p = cache_.Find(device_, "STREAMING_EXPOSURE"))
        if (const PropertyElement* e = p->Find("STREAMING_EXPOSURE_VALUE"); e && e->max > e->min)
            seconds = std::clamp(seconds, e->min, e->max);
    if (const auto current = Value("STREAMING_EXPOSURE", "STREAMING_EXPOSURE_VALUE");
        current && !Near(*current, seconds)) {
        changed = true;
        SetNumbersLocked(lock, "STREAMING_EXPOSURE", {{"STREAMING_EXPOSURE_VALUE", seconds}});
        // A running stream keeps its old exposure until it is restarted.
        if (On("CCD_VIDEO_STREAM", "STREAM_ON"))
            SetSwitchLocked(lock, "CCD_VIDEO_STREAM", "STREAM_OFF");
    }
    if (!On("CCD_VIDEO_STREAM", "STREAM_ON")) {
        changed = true;
        streamStarted_ = true;
        if (!SetSwitchLocked(lock, "CCD_VIDEO_STREAM", "STREAM_ON"))
            return false;
    }
    return true;
}

bool IndiCamera::PrepareSingleLocked(Lock& lock, const Settings& s) {
    if (On("CCD_VIDEO_STREAM", "STREAM_ON"))
        SetSwitchLocked(lock, "CCD_VIDEO_STREAM", "STREAM_OFF");
    if (Has("CCD_BINNING") && (Value("CCD_BINNING", "HOR_BIN").value_or(1) != 1 ||
                               Value("CCD_BINNING", "VER_BIN").value_or(1) != 1))
        SetNumbersLocked(lock, "CCD_BINNING", {{"HOR_BIN", 1}, {"VER_BIN", 1}});
    const SensorRect rect = FrameLocked(s);
    const SensorRect shown{static_cast<int>(Value("CCD_FRAME", "X").value_or(-1)),
                           static_cast<int>(Value("CCD_FRAME", "Y").value_or(-1)),
                           static_cast<int>(Value("CCD_FRAME", "WIDTH").value_or(-1)),
                           static_cast<int>(Value("CCD_FRAME", "HEIGHT").value_or(-1))};
    if (Has("CCD_FRAME") && shown != rect)
        SetNumbersLocked(
            lock, "CCD_FRAME",
            {{"X", rect.x}, {"Y", rect.y}, {"WIDTH", rect.width}, {"HEIGHT", rect.height}});
    if (Has("CCD_TRANSFER_FORMAT") && !On("CCD_TRANSFER_FORMAT", "FORMAT_FITS"))
        SetSwitchLocked(lock, "CCD_TRANSFER_FORMAT", "FORMAT_FITS");
    if (Has("UPLOAD_MODE") && !On("UPLOAD_MODE", "UPLOAD_CLIENT"))
        SetSwitchLocked(lock, "UPLOAD_MODE", "UPLOAD_CLIENT");
    if (Has("CCD_COMPRESSION") && On("CCD_COMPRESSION", "INDI_ENABLED"))
        SetSwitchLocked(lock, "CCD_COMPRESSION", "INDI_DISABLED");
    if (!savedPollingMs_) {
        // The server looks for the end of an exposure once per polling period;
        // at its default that alone would cap single exposures at 1 frame/s.
        if (const auto period = Value("POLLING_PERIOD", "PERIOD_MS")) {
            savedPollingMs_ = *period;
            double fast = kFastPollingMs;
            if (const PropertySnapshot* p = cache_.Find(device_, "POLLING_PERIOD"))
                if (const PropertyElement* e = p->Find("PERIOD_MS"); e && e->max > e->min)
                    fast = std::clamp(fast, e->min, e->max);
            SetNumbersLocked(lock, "POLLING_PERIOD", {{"PERIOD_MS", fast}});
        }
    }
    return true;
}

bool IndiCamera::DeliverStreamLocked() {
    Job& job = *job_;
    if (blob_.sequence <= job.afterBlob || !StartsWith(blob_.format, ".stream"))
        return false;
    SourceFrame source;
    source.width = static_cast<int>(Value("CCD_STREAM_FRAME", "WIDTH").value_or(0));
    source.height = static_cast<int>(Value("CCD_STREAM_FRAME", "HEIGHT").value_or(0));
    const std::size_t pixels =
        static_cast<std::size_t>(std::max(0, source.width)) * std::max(0, source.height);
    if (pixels == 0)
        return false;
    // The stream carries no header: its depth shows only in its size. A frame
    // of any other size comes from before a change of window and is skipped.
    if (blob_.bytes.size() == pixels) {
        source.bytesPerSample = 1;
        source.significantBits = 8;
    } else if (blob_.bytes.size() == 2 * pixels) {
        source.bytesPerSample = 2;
        source.significantBits = 16;
    } else {
        job.afterBlob = blob_.sequence;
        return false;
    }
    const auto x = static_cast<int>(Value("CCD_STREAM_FRAME", "X").value_or(0));
    const auto y = static_cast<int>(Value("CCD_STREAM_FRAME", "Y").value_or(0));
    const MosaicPhase phase = PhaseLocked();
    source.redColumn = (phase.column + x) & 1;
    source.redRow = (phase.row + y) & 1;
    source.data = blob_.bytes.data();
    PlaceFrame(source, WindowBlock{job.block, job.programmed.width, job.programmed.height,
                                   job.programmed.bits >= 10});
    FinishLocked(true);
    return true;
}

void IndiCamera::DeliverSingleLocked(Lock& lock) {
    const std::uint64_t ticket = job_->ticket;
    if (blob_.sequence > job_->afterBlob && StartsWith(blob_.format, ".fits")) {
        std::vector<std::uint8_t> bytes;
        bytes.swap(blob_.bytes);
        job_->afterBlob = blob_.sequence;
        lock.unlock();
        FitsFrame frame;
        std::string error;
        const bool decoded = DecodeFits(bytes.data(), bytes.size(), frame, error);
        lock.lock();
        if (!PendingLocked(ticket))
            return;
        const Settings s = job_->programmed;
        const SensorRect rect = FrameLocked(s);
        if (!decoded || frame.width != rect.width || frame.height != rect.height) {
            if (!decoded)
                std::fprintf(stderr, "INDI %s: %s\n", device_.c_str(), error.c_str());
            job_->requested = false; // not this window's image: ask again
            return;
        }
        SourceFrame source;
        source.data = reinterpret_cast<const std::uint8_t*>(frame.samples.data());
        source.width = frame.width;
        source.height = frame.height;
        source.bytesPerSample = 2; // native words; this driver is built for little-endian hosts
        source.significantBits = frame.bitpix == 8 ? 8 : SensorBitsLocked();
        const MosaicPhase phase = PhaseLocked();
        source.redColumn = (phase.column + rect.x) & 1;
        source.redRow = (phase.row + rect.y) & 1;
        PlaceFrame(source, WindowBlock{job_->block, s.width, s.height, s.bits >= 10});
        FinishLocked(true);
        return;
    }
    const Clock::time_point retryAt =
        job_->requestedAt + milliseconds(job_->programmed.exposureMs) + kSingleRetryMargin;
    if (Clock::now() >= retryAt) {
        job_->requested = false;
        return;
    }
    wake_.wait_until(lock, retryAt);
}

void IndiCamera::FinishLocked(bool delivered) {
    if (!job_)
        return;
    const Settings& s = job_->programmed;
    const WindowBlock block{job_->block, s.width, s.height, s.bits >= 10};
    if (delivered) {
        const auto* bytes = static_cast<const std::uint8_t*>(block.data);
        lastFrame_.assign(bytes, bytes + block.Bytes());
        lastFrameSettings_ = s;
    } else if (lastFrameSettings_.width == s.width && lastFrameSettings_.height == s.height &&
               lastFrameSettings_.bits == s.bits && lastFrame_.size() == block.Bytes()) {
        // An exposure ended early reads out what the sensor last saw, as a
        // camera's abort does, rather than a black picture.
        std::memcpy(block.data, lastFrame_.data(), lastFrame_.size());
    }
    if (job_->synchronous) {
        finishedTicket_ = std::max(finishedTicket_, job_->ticket);
        finishedWithFrame_ = delivered;
        changed_.notify_all();
    } else if (semaphore_) {
        sem_post(semaphore_);
    }
    job_.reset();
}

void IndiCamera::FailPendingLocked() {
    FinishLocked(false);
}

void IndiCamera::ShutdownLocked(Lock& lock) {
    closing_ = true;
    FailPendingLocked();
    wake_.notify_all();
    changed_.wait(lock, [this] { return !workerBusy_; });
    if (client_ && open_ && !lost_ && !device_.empty()) {
        // Leave the device as another client would want to find it: a stream
        // left running keeps the server sending frames to nobody. The device
        // itself stays connected: other clients of the server may be using
        // it, and a camera driver that is disconnected right after a stream
        // can die with it (the 1.9.9 CCD simulator does, now and then).
        if (streamStarted_ && On("CCD_VIDEO_STREAM", "STREAM_ON"))
            SetSwitchLocked(lock, "CCD_VIDEO_STREAM", "STREAM_OFF", kCloseStepLimit);
        if (savedPollingMs_)
            SetNumbersLocked(lock, "POLLING_PERIOD", {{"PERIOD_MS", *savedPollingMs_}},
                             kCloseStepLimit);
    }
    std::unique_ptr<IndiClient> client = std::move(client_);
    open_ = false;
    if (client) {
        // The client's destructor joins its socket thread, which may be
        // waiting for this lock in a callback.
        lock.unlock();
        client.reset();
        lock.lock();
    }
    cache_.Clear();
    closing_ = false;
}

// ---- talking to the device ----

template <typename Predicate>
bool IndiCamera::WaitLocked(Lock& lock, milliseconds timeout, Predicate done) {
    return changed_.wait_for(lock, timeout, [&] { return done() || lost_ || stopping_; }) && done();
}

bool IndiCamera::SetNumbersLocked(Lock& lock, const std::string& property,
                                  const std::vector<std::pair<std::string, double>>& values,
                                  milliseconds timeout) {
    const PropertySnapshot* current = cache_.Find(device_, property);
    if (!current || !client_)
        return false;
    // Every element goes out, the ones not changed with their present value:
    // some drivers read a partial vector as zeros.
    std::vector<std::pair<std::string, double>> all;
    for (const PropertyElement& e : current->elements) {
        double value = e.value;
        for (const auto& [name, wanted] : values)
            if (name == e.name)
                value = wanted;
        all.emplace_back(e.name, value);
    }
    const std::uint64_t sent = current->serial;
    IndiClient* link = client_.get();
    const std::string device = device_;
    lock.unlock();
    link->SendNumbers(device, property, all);
    lock.lock();
    // A refused value comes back as an alert and then the old values, so the
    // values are what counts, not the state.
    bool refused = false;
    const bool shown = WaitLocked(lock, timeout, [&] {
        const PropertySnapshot* p = cache_.Find(device_, property);
        if (!p)
            return false;
        if (p->serial > sent && p->state == PropertyState::Alert)
            refused = true;
        if (p->state == PropertyState::Busy)
            return false;
        for (const auto& [name, wanted] : values)
            if (const auto value = p->Value(name); !value || !Near(*value, wanted))
                return refused;
        return true;
    });
    if (!shown || refused) {
        const PropertySnapshot* p = cache_.Find(device_, property);
        for (const auto& [name, wanted] : values)
            if (const auto value = p ? p->Value(name) : std::nullopt;
                !value || !Near(*value, wanted))
                return false;
    }
    return true;
}

bool IndiCamera::SetSwitchLocked(Lock& lock, const std::string& property,
                                 const std::string& element, milliseconds timeout) {
    const PropertySnapshot* current = cache_.Find(device_, property);
    if (!current || !current->Find(element) || !client_)
        return false;
    std::vector<std::pair<std::string, bool>> states;
    for (const PropertyElement& e : current->elements)
        states.emplace_back(e.name, e.name == element);
    IndiClient* link = client_.get();
    const std::string device = device_;
    lock.unlock();
    link->SendSwitches(device, property, states);
    lock.lock();
    return WaitLocked(lock, timeout, [&] {
        const PropertySnapshot* p = cache_.Find(device_, property);
        return p && p->state != PropertyState::Busy && p->On(element);
    });
}

bool IndiCamera::Has(const std::string& property) const {
    return cache_.Find(device_, property) != nullptr;
}

std::optional<double> IndiCamera::Value(const std::string& property,
                                        const std::string& element) const {
    return cache_.Value(device_, property, element);
}

bool IndiCamera::On(const std::string& property, const std::string& element) const {
    return cache_.On(device_, property, element);
}

MosaicPhase IndiCamera::PhaseLocked() const {
    const PropertySnapshot* cfa = cache_.Find(device_, "CCD_CFA");
    if (!cfa)
        return {};
    const PropertyElement* type = cfa->Find("CFA_TYPE");
    const std::size_t red = type ? type->text.find('R') : std::string::npos;
    if (red == std::string::npos || red > 3)
        return {};
    MosaicPhase phase;
    phase.column = static_cast<int>(red % 2 + cfa->Value("CFA_OFFSET_X").value_or(0)) & 1;
    phase.row = static_cast<int>(red / 2 + cfa->Value("CFA_OFFSET_Y").value_or(0)) & 1;
    return phase;
}

int IndiCamera::SensorBitsLocked() const {
    const int bits = static_cast<int>(Value("CCD_INFO", "CCD_BITSPERPIXEL").value_or(16));
    return bits >= 9 && bits <= 16 ? bits : 16;
}

std::string IndiCamera::ChooseDeviceLocked(const std::string& wanted) const {
    auto offered = [&](const std::string& device) {
        return cache_.Find(device, "CONNECTION") != nullptr;
    };
    if (!wanted.empty())
        return offered(wanted) ? wanted : std::string();
    for (const std::string& device : cache_.Devices()) {
        const PropertySnapshot* info = cache_.Find(device, "DRIVER_INFO");
        const PropertyElement* interface = info ? info->Find("DRIVER_INTERFACE") : nullptr;
        if (interface && (std::atoi(interface->text.c_str()) & kCcdInterface) && offered(device))
            return device;
    }
    return {};
}

std::string IndiCamera::DevicesSeenLocked() const {
    std::string seen;
    for (const std::string& device : cache_.Devices())
        seen += (seen.empty() ? "" : ", ") + device;
    return seen.empty() ? "none" : seen;
}

} // namespace orbicap::indi
