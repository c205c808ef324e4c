#include "ExposureEngine.h"

#include "StarFocus.h"

#include <algorithm>
#include <cstring>
#include <pthread.h>
#include <sched.h>

namespace orbicap::sim {

ExposureEngine::ExposureEngine() : knobs_(ReadSimKnobs()) {
    ResetSettingsLocked();
    worker_ = std::thread([this] { Run(); });
    ApplyWorkerPriority();
}

ExposureEngine::~ExposureEngine() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

int ExposureEngine::Open() {
    std::unique_lock lock(mutex_);
    // Frames still in flight belong to the old session: finish them now, so
    // that none of them carries a sequence number of the new one.
    CancelAllLocked();
    if (DeadLocked())
        DropJobsLocked();
    wake_.notify_all();
    done_.wait(lock, [this] { return jobs_.empty() || stopping_; });
    knobs_ = ReadSimKnobs();
    ApplyWorkerPriority();
    ResetSettingsLocked();
    delivered_ = 0;
    exposedMs_ = 0;
    return knobs_.noCamera ? 0 : 1;
}

void ExposureEngine::Close() {
    Cancel();
}

void ExposureEngine::Reset() {
    std::lock_guard lock(mutex_);
    ResetSettingsLocked();
    wake_.notify_all();
}

unsigned int ExposureEngine::VidPid() {
    std::lock_guard lock(mutex_);
    return VidPidOf(knobs_.model);
}

void ExposureEngine::SetWindow(int width, int height) {
    std::lock_guard lock(mutex_);
    settings_.width = ClampWindowWidth(width);
    settings_.height = ClampWindowHeight(height);
}

void ExposureEngine::SetDepth(int bits) {
    std::lock_guard lock(mutex_);
    // Anything short of 10 bits reads out bytes: the smaller block can never
    // overrun what a caller allocated.
    settings_.sixteenBit = bits >= 10;
}

void ExposureEngine::Program(int exposureMs, int gain) {
    std::lock_guard lock(mutex_);
    settings_.exposureMs = ClampExposureMs(exposureMs);
    settings_.gain = ClampGain(gain);
}

void ExposureEngine::SetSemaphore(sem_t* semaphore) {
    std::lock_guard lock(mutex_);
    semaphore_ = semaphore;
}

void ExposureEngine::Start(void* block) {
    const Clock::time_point now = Clock::now();
    std::lock_guard lock(mutex_);
    CancelAllLocked();
    jobs_.push_back(Job{block, now + std::chrono::milliseconds(settings_.exposureMs), settings_});
    wake_.notify_all();
}

int ExposureEngine::ExposeNow(void* block) {
    const Clock::time_point now = Clock::now();
    std::unique_lock lock(mutex_);
    if (DeadLocked())
        return 0;
    CancelAllLocked();
    const std::uint64_t ticket = nextTicket_++;
    Job job{block, now + std::chrono::milliseconds(settings_.exposureMs), settings_};
    job.synchronous = true;
    job.ticket = ticket;
    jobs_.push_back(job);
    wake_.notify_all();
    done_.wait(
        lock, [&] { return finishedTicket_ >= ticket || abandonedTicket_ >= ticket || stopping_; });
    return finishedTicket_ >= ticket ? 1 : 0;
}

void ExposureEngine::Cancel() {
    std::lock_guard lock(mutex_);
    CancelAllLocked();
    wake_.notify_all();
}

void ExposureEngine::SetDigitalGain(int registerValue) {
    std::lock_guard lock(mutex_);
    settings_.digitalGain = DigitalGainFactor(registerValue);
}

void ExposureEngine::SetCompanding(bool on) {
    std::lock_guard lock(mutex_);
    settings_.companding = on;
}

void ExposureEngine::SetAgc(bool on) {
    std::lock_guard lock(mutex_);
    settings_.agc = on;
}

void ExposureEngine::SetHorizontalFlip(bool on) {
    std::lock_guard lock(mutex_);
    settings_.hflip = on;
}

void ExposureEngine::SetVerticalFlip(bool on) {
    std::lock_guard lock(mutex_);
    settings_.vflip = on;
}

void ExposureEngine::SetRowNoiseOff(bool off) {
    std::lock_guard lock(mutex_);
    settings_.rowNoiseOff = off;
}

void ExposureEngine::SetAdcRef(int value) {
    std::lock_guard lock(mutex_);
    settings_.adcRef = ClampAdcRef(value);
}

void ExposureEngine::ApplyWorkerPriority() {
    // Best effort: where the system refuses, the worker keeps its priority.
    const sched_param parameters{};
    pthread_setschedparam(worker_.native_handle(), knobs_.idlePriority ? SCHED_IDLE : SCHED_OTHER,
                          &parameters);
}

bool ExposureEngine::DeadLocked() const {
    return knobs_.noCamera || (knobs_.stallAfter && delivered_ >= *knobs_.stallAfter);
}

void ExposureEngine::DropJobsLocked() {
    for (const Job& job : jobs_)
        if (job.synchronous)
            abandonedTicket_ = std::max(abandonedTicket_, job.ticket);
    jobs_.clear();
    done_.notify_all();
}

void ExposureEngine::CancelAllLocked() {
    for (Job& job : jobs_)
        job.cancelled = true;
}

void ExposureEngine::ResetSettingsLocked() {
    settings_ = CameraSettings{};
    settings_.colour = IsColourModel(knobs_.model);
    settings_.seed = knobs_.seed;
    settings_.scene = knobs_.scene;
}

CameraSettings ExposureEngine::EffectiveLocked(const Job& job) const {
    CameraSettings effective = settings_;
    effective.width = job.programmed.width;
    effective.height = job.programmed.height;
    effective.sixteenBit = job.programmed.sixteenBit;
    effective.exposureMs = job.programmed.exposureMs;
    effective.gain = job.programmed.gain;
    effective.sceneStep = settings_.scene == SceneKind::Star ? FocusStepAt(exposedMs_) : 0;
    return effective;
}

void ExposureEngine::DeliverLocked(const Job& job) {
    const std::vector<std::uint8_t>& frame = cycle_.Frame(static_cast<std::uint32_t>(delivered_));
    std::memcpy(job.block, frame.data(), frame.size());
    if (knobs_.stamp) {
        // The sequence number goes one byte per sample into the first four
        // samples, so a test can read it back in either depth.
        const std::size_t bytesPerSample =
            static_cast<std::size_t>(job.programmed.BytesPerSample());
        const std::size_t samples = frame.size() / bytesPerSample;
        auto* bytes = static_cast<std::uint8_t*>(job.block);
        for (std::size_t i = 0; i < std::min<std::size_t>(4, samples); ++i) {
            bytes[i * bytesPerSample] = static_cast<std::uint8_t>(delivered_ >> (8 * i));
            if (bytesPerSample == 2)
                bytes[i * bytesPerSample + 1] = 0;
        }
    }
    ++delivered_;
    // A cancelled exposure counts in full: the drift it drives is slow enough
    // that the difference never shows.
    exposedMs_ += static_cast<std::uint64_t>(job.programmed.exposureMs);
    if (job.synchronous) {
        finishedTicket_ = std::max(finishedTicket_, job.ticket);
        done_.notify_all();
    } else if (semaphore_) {
        sem_post(semaphore_);
    }
}

void ExposureEngine::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (stopping_)
            return;
        if (jobs_.empty()) {
            done_.notify_all();
            wake_.wait(lock);
            continue;
        }
        if (DeadLocked()) {
            // A dead camera swallows exposures; cancelling cannot revive it.
            DropJobsLocked();
            continue;
        }
        // Render the frame while the sensor integrates; when the settings
        // change during the wait this runs again before delivery.
        const Job& job = jobs_.front();
        const auto index = static_cast<std::uint32_t>(delivered_ % FrameCycle::kLength);
        const CameraSettings effective = EffectiveLocked(job);
        if (!cycle_.Has(effective, index)) {
            lock.unlock();
            if (knobs_.unpaced) {
                // Unpaced, the simulator stands for a camera that never holds
                // the program back: the whole loop is rendered at once, so its
                // start-up does not slow the first frames of a recording.
                for (std::uint32_t slot = 0; slot < FrameCycle::kLength; ++slot)
                    cycle_.Render(effective, index + slot);
            } else {
                cycle_.Render(effective, index);
            }
            lock.lock();
            continue;
        }
        if (!job.cancelled && !knobs_.unpaced && Clock::now() < job.deadline) {
            wake_.wait_until(lock, job.deadline);
            continue;
        }
        DeliverLocked(job);
        jobs_.pop_front();
    }
}

} // namespace orbicap::sim
