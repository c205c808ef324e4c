// The worker's side of the INDI camera: bringing the device to what each
// exposure needs, taking its frame and releasing it.
#include "IndiCamera.h"

#include "FitsFrame.h"
#include "FramePlacement.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace orbicap::indi {

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kCloseStepLimit{1500};
constexpr double kFastPollingMs = 10;
// A single exposure whose image has not come this long after its end is asked
// for again: the server may have dropped it.
constexpr milliseconds kSingleRetryMargin{3000};
// A stream frame overdue by this much restarts the stream: a camera whose
// stream dropped out (a lost USB packet, a driver that missed a command) is
// back well within the program's stall rule.
constexpr milliseconds kStreamRestartMargin{4000};
// How long after its stream is switched off a camera may still be busy with
// the frame it was making, beyond that frame's exposure. The 1.9.9 CCD
// simulator reads a new stream exposure only when its frame thread finds the
// stream off; switched on again before that, it waits the reciprocal of the
// exposure (100 s at 10 ms) between frames.
constexpr milliseconds kStreamParkMargin{600};
constexpr milliseconds kLongestParkExposure{1000};

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

} // namespace

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

SensorRect IndiCamera::WholeSensorLocked() const {
    const auto width = Value("CCD_INFO", "CCD_MAX_X");
    const auto height = Value("CCD_INFO", "CCD_MAX_Y");
    if (!width || !height || *width < 1 || *height < 1)
        return {};
    return {0, 0, static_cast<int>(*width), static_cast<int>(*height)};
}

SensorRect IndiCamera::ShownLocked(const std::string& property) const {
    return {static_cast<int>(Value(property, "X").value_or(-1)),
            static_cast<int>(Value(property, "Y").value_or(-1)),
            static_cast<int>(Value(property, "WIDTH").value_or(-1)),
            static_cast<int>(Value(property, "HEIGHT").value_or(-1))};
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
        StopStreamLocked(lock);
        wake_.wait_until(lock, streamOnAllowedAt_, [&] { return !PendingLocked(ticket); });
        if (!PendingLocked(ticket))
            return;
        StartStreamLocked(lock);
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
        // Gain 0..100 spans whatever range the device offers. Until the
        // device shows a gain property, it is looked for again each time.
        const char* property = Has("CCD_GAIN") ? "CCD_GAIN" : "CCD_CONTROLS";
        const char* element = Has("CCD_GAIN") ? "GAIN" : "Gain";
        if (const PropertySnapshot* p = cache_.Find(device_, property))
            if (const PropertyElement* e = p->Find(element); e && e->max > e->min) {
                appliedGain_ = s.gain;
                SetNumbersLocked(lock, property,
                                 {{element, e->min + (e->max - e->min) * s.gain / 100.0}},
                                 milliseconds(1000));
            }
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
        // The server drops stream frames beyond this rate; a capture program
        // wants every one the camera makes.
        if (const PropertySnapshot* limits = cache_.Find(device_, "LIMITS"))
            if (const PropertyElement* fps = limits->Find("LIMITS_PREVIEW_FPS")) {
                previewLimitRaised_ = true;
                SetNumbersLocked(lock, "LIMITS", {{"LIMITS_PREVIEW_FPS", fps->max}});
            }
    }
    // The stream is cut out of the whole unbinned sensor by CCD_STREAM_FRAME:
    // the server's stream manager takes each stream frame to be the camera's
    // CCD_FRAME, and the 1.9.9 CCD simulator hands it its whole sensor
    // whatever CCD_FRAME says, so that with the subframe a single exposure
    // leaves behind every stream frame is refused ("Invalid source buffer
    // size") and the stream stays silent. The frame changes only while the
    // stream is off, and resets the stream frame on the simulator.
    const SensorRect whole = WholeSensorLocked();
    // A device that refuses the reset is asked once per session: asked on
    // every pass, it would stop and restart the stream for ever.
    const bool binned = !wholeSensorRefused_ && Has("CCD_BINNING") &&
                        (Value("CCD_BINNING", "HOR_BIN").value_or(1) != 1 ||
                         Value("CCD_BINNING", "VER_BIN").value_or(1) != 1);
    const bool cropped = !wholeSensorRefused_ && Has("CCD_FRAME") && whole.width > 0 &&
                         ShownLocked("CCD_FRAME") != whole;
    bool streamFrameStale = false;
    if (binned || cropped) {
        changed = true;
        streamFrameStale = true;
        if (On("CCD_VIDEO_STREAM", "STREAM_ON"))
            StopStreamLocked(lock);
        if (binned && !SetNumbersLocked(lock, "CCD_BINNING", {{"HOR_BIN", 1}, {"VER_BIN", 1}}))
            wholeSensorRefused_ = true;
        if (cropped && !SetNumbersLocked(
                           lock, "CCD_FRAME",
                           {{"X", 0}, {"Y", 0}, {"WIDTH", whole.width}, {"HEIGHT", whole.height}}))
            wholeSensorRefused_ = true;
    }
    const SensorRect rect = FrameLocked(s);
    if (streamFrameStale || ShownLocked("CCD_STREAM_FRAME") != rect) {
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
        current && !NearlyEqual(*current, seconds)) {
        changed = true;
        // A running stream keeps its old exposure until it is restarted.
        if (On("CCD_VIDEO_STREAM", "STREAM_ON"))
            StopStreamLocked(lock);
        SetNumbersLocked(lock, "STREAMING_EXPOSURE", {{"STREAMING_EXPOSURE_VALUE", seconds}});
    }
    if (!On("CCD_VIDEO_STREAM", "STREAM_ON")) {
        changed = true;
        streamStarted_ = true;
        if (!StartStreamLocked(lock))
            return false;
    }
    return true;
}

void IndiCamera::StopStreamLocked(Lock& lock, milliseconds timeout) {
    // The frame in the making may have been started with the exposure shown
    // now or with an earlier one; either is at most this long.
    const double shown = Value("STREAMING_EXPOSURE", "STREAMING_EXPOSURE_VALUE").value_or(0);
    const milliseconds exposure = std::min(
        kLongestParkExposure, milliseconds(static_cast<long long>(std::max(0.0, shown) * 1000)));
    SetSwitchLocked(lock, "CCD_VIDEO_STREAM", "STREAM_OFF", timeout);
    streamOnAllowedAt_ = std::max(streamOnAllowedAt_, Clock::now() + exposure + kStreamParkMargin);
}

bool IndiCamera::StartStreamLocked(Lock& lock) {
    wake_.wait_until(lock, streamOnAllowedAt_, [&] { return closing_ || lost_ || stopping_; });
    if (closing_ || lost_ || stopping_)
        return false;
    return SetSwitchLocked(lock, "CCD_VIDEO_STREAM", "STREAM_ON");
}

bool IndiCamera::PrepareSingleLocked(Lock& lock, const Settings& s) {
    if (On("CCD_VIDEO_STREAM", "STREAM_ON"))
        StopStreamLocked(lock);
    if (Has("CCD_BINNING") && (Value("CCD_BINNING", "HOR_BIN").value_or(1) != 1 ||
                               Value("CCD_BINNING", "VER_BIN").value_or(1) != 1))
        SetNumbersLocked(lock, "CCD_BINNING", {{"HOR_BIN", 1}, {"VER_BIN", 1}});
    const SensorRect rect = FrameLocked(s);
    if (Has("CCD_FRAME") && ShownLocked("CCD_FRAME") != rect)
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
        if (streamStarted_ && On("CCD_VIDEO_STREAM", "STREAM_ON")) {
            StopStreamLocked(lock, kCloseStepLimit);
            // The next client, often this program started again, may switch
            // the stream on at once; the camera must have taken the off in.
            changed_.wait_until(lock, streamOnAllowedAt_, [this] { return lost_; });
        }
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

} // namespace orbicap::indi
