#pragma once

#include "CameraSettings.h"
#include "FrameCycle.h"
#include "SimKnobs.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <semaphore.h>
#include <thread>

namespace orbicap::sim {

// The simulated camera: its settings, the exposures in flight and the one
// worker thread that completes them. Every public function may be called
// from any thread; the mutex guards all state except the frame cycle, which
// only the worker touches (so rendering runs without holding the lock).
class ExposureEngine {
public:
    ExposureEngine();
    ~ExposureEngine();
    ExposureEngine(const ExposureEngine&) = delete;
    ExposureEngine& operator=(const ExposureEngine&) = delete;

    // Ends what is in flight, re-reads the environment, restores the power-on
    // settings and restarts the frame sequence. Returns 1 when a camera answers.
    int Open();
    // Ends a running exposure as CancelExposure does.
    void Close();
    // Restores the power-on settings.
    void Reset();
    unsigned int VidPid();

    void SetWindow(int width, int height);
    void SetDepth(int bits);
    void Program(int exposureMs, int gain);
    void SetSemaphore(sem_t* semaphore);
    // Starts an exposure that fills block and releases the semaphore once.
    // An exposure still running is ended first, as by Cancel.
    void Start(void* block);
    // Exposes into block and returns when it is filled: 1, or 0 when the
    // camera delivers nothing.
    int ExposeNow(void* block);
    void Cancel();

    void SetDigitalGain(int registerValue);
    void SetCompanding(bool on);
    void SetAgc(bool on);
    void SetHorizontalFlip(bool on);
    void SetVerticalFlip(bool on);
    void SetRowNoiseOff(bool off);
    void SetAdcRef(int value);

private:
    using Clock = std::chrono::steady_clock;

    struct Job {
        void* block;
        Clock::time_point deadline;
        // Window, depth, exposure and gain as programmed when the exposure
        // started: they apply from the next exposure, and the block was
        // sized for this window and depth.
        CameraSettings programmed;
        bool cancelled = false;
        bool synchronous = false;
        std::uint64_t ticket = 0;
    };

    void Run();
    // Gives the worker the priority the knobs ask for.
    void ApplyWorkerPriority();
    // A camera that has stopped delivering (no camera at all, or the stall knob).
    bool DeadLocked() const;
    void DropJobsLocked();
    void DeliverLocked(const Job& job);
    // The settings a job's frame is read out with: its programmed ones, plus
    // the window thread's controls as they stand now.
    CameraSettings EffectiveLocked(const Job& job) const;
    void CancelAllLocked();
    void ResetSettingsLocked();

    std::mutex mutex_;
    std::condition_variable wake_; // the worker: new job, cancel, settings, stop
    std::condition_variable done_; // callers waiting for a job to finish
    SimKnobs knobs_;
    CameraSettings settings_;
    sem_t* semaphore_ = nullptr;
    std::deque<Job> jobs_;
    std::uint64_t delivered_ = 0; // frames delivered since the camera was opened
    // The camera's own clock: milliseconds of exposure delivered since it was
    // opened, which drives slowly drifting scenes.
    std::uint64_t exposedMs_ = 0;
    std::uint64_t nextTicket_ = 1;
    std::uint64_t finishedTicket_ = 0;  // last synchronous job delivered
    std::uint64_t abandonedTicket_ = 0; // last synchronous job a dead camera dropped
    bool stopping_ = false;
    FrameCycle cycle_; // worker thread only
    std::thread worker_;
};

} // namespace orbicap::sim
