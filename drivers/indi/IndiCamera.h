#pragma once

#include "ExposurePlan.h"
#include "IndiClient.h"
#include "PropertyCache.h"
#include "ServerAddress.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <semaphore.h>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace orbicap::indi {

// The camera behind an INDI server, seen through the driver ABI.
//
// Three threads meet here. The program's threads call the public functions;
// the client library's socket thread delivers property copies and BLOB bytes
// (copied and handed over, nothing more); and one worker of our own does
// everything that waits for the server: configuring the device, starting
// exposures, decoding and placing frames. One mutex guards all state; a block
// lent by ThreadedExposure is written only under it, while its exposure is
// still the pending one, so a released block is never touched again.
class IndiCamera : public ServerEvents {
public:
    IndiCamera();
    ~IndiCamera() override;
    IndiCamera(const IndiCamera&) = delete;
    IndiCamera& operator=(const IndiCamera&) = delete;

    // Connects to the server, finds the camera and connects it. 1 on success;
    // 0 with the reason on stderr.
    int Open();
    // Switches the stream off, restores the polling period and disconnects
    // from the server; the device stays connected for other clients.
    void Close();
    const char* Description();

    void SetWindow(int width, int height);
    void SetDepth(int bits);
    void Program(int exposureMs, int gain);
    void SetSemaphore(sem_t* semaphore);
    void Start(void* block);
    int ExposeNow(void* block);
    void Cancel();
    void SetHorizontalFlip(bool on);
    void SetVerticalFlip(bool on);

    // ServerEvents, on the socket thread.
    void OnProperty(const std::string& device, const std::string& property,
                    PropertySnapshot snapshot) override;
    void OnPropertyRemoved(const std::string& device, const std::string& property) override;
    void OnDeviceRemoved(const std::string& device) override;
    void OnBlob(const std::string& device, const std::string& format, const void* data,
                std::size_t bytes) override;
    void OnMessage(const std::string& device, const std::string& text) override;
    void OnServerLost() override;

private:
    using Clock = std::chrono::steady_clock;
    using Lock = std::unique_lock<std::mutex>;

    struct Settings {
        int width = 752;
        int height = 480;
        int bits = 8;
        int exposureMs = 100;
        int gain = 10;
    };
    struct Job {
        void* block = nullptr;
        Settings programmed;
        std::uint64_t ticket = 0;
        std::uint64_t afterBlob = 0; // frames up to this count came before the job
        bool requested = false;      // a single exposure has been asked for
        Clock::time_point requestedAt;
        Clock::time_point waitingSince; // for a stream frame, since then
        bool synchronous = false;
    };
    struct Blob {
        std::string format;
        std::vector<std::uint8_t> bytes;
        std::uint64_t sequence = 0;
    };

    void Run();
    void ServeJobLocked(Lock& lock);
    // Bring the device to what the job needs; true once it is there.
    // changed tells that frames so far came from other settings.
    bool PrepareStreamLocked(Lock& lock, const Settings& s, bool& changed);
    bool PrepareSingleLocked(Lock& lock, const Settings& s);
    // Every switch of the stream goes through these two: on again only once
    // the camera can have taken the off in.
    void StopStreamLocked(Lock& lock,
                          std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));
    bool StartStreamLocked(Lock& lock);
    void ApplyControlsLocked(Lock& lock, const Settings& s);
    bool DeliverStreamLocked();
    void DeliverSingleLocked(Lock& lock);
    bool PendingLocked(std::uint64_t ticket) const;
    SensorRect FrameLocked(const Settings& s) const;
    // The sensor's full extent; width 0 while the device has not shown it.
    SensorRect WholeSensorLocked() const;
    // X, Y, WIDTH and HEIGHT of a frame property as the server shows them.
    SensorRect ShownLocked(const std::string& property) const;
    bool UsesStreamLocked(const Settings& s) const;
    // Releases the pending exposure: with its frame in the block, or with
    // the newest frame at hand where it has the block's size and depth.
    void FinishLocked(bool delivered);
    void FailPendingLocked();
    void ShutdownLocked(Lock& lock);

    // Sends a number vector with every element it has, the given ones
    // changed, and waits (bounded) until the server shows the values.
    bool SetNumbersLocked(Lock& lock, const std::string& property,
                          const std::vector<std::pair<std::string, double>>& values,
                          std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));
    // Turns one element of a switch vector on and every other one off.
    bool SetSwitchLocked(Lock& lock, const std::string& property, const std::string& element,
                         std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));
    template <typename Predicate>
    bool WaitLocked(Lock& lock, std::chrono::milliseconds timeout, Predicate done);

    bool Has(const std::string& property) const;
    std::optional<double> Value(const std::string& property, const std::string& element) const;
    bool On(const std::string& property, const std::string& element) const;
    MosaicPhase PhaseLocked() const;
    int SensorBitsLocked() const;
    std::string ChooseDeviceLocked(const std::string& wanted) const;
    std::string DevicesSeenLocked() const;

    std::mutex mutex_;
    std::condition_variable wake_;    // the worker: new job, cancel, frame, stop
    std::condition_variable changed_; // anyone waiting for the server or a job
    std::unique_ptr<IndiClient> client_;
    PropertyCache cache_;
    std::string device_;
    ServerAddress server_;
    std::list<std::string> descriptions_; // every text handed out stays valid
    std::set<std::string> messagesShown_;
    Settings settings_;
    bool hflip_ = false;
    bool vflip_ = false;
    sem_t* semaphore_ = nullptr;
    std::optional<Job> job_;
    std::uint64_t nextTicket_ = 1;
    Blob blob_;
    // The newest frame delivered, for an exposure that ends without one.
    std::vector<std::uint8_t> lastFrame_;
    Settings lastFrameSettings_;
    std::uint64_t blobCount_ = 0;
    bool open_ = false;
    bool lost_ = false;
    bool closing_ = false;
    bool stopping_ = false;
    bool workerBusy_ = false;          // the worker is between sends and may use the client
    bool abortWanted_ = false;         // a cancelled single exposure still runs on the camera
    std::uint64_t finishedTicket_ = 0; // last synchronous exposure ended
    bool finishedWithFrame_ = false;
    // What this session changed on the device, to undo at close.
    bool streamStarted_ = false;
    std::optional<double> savedPollingMs_;
    bool previewLimitRaised_ = false;
    bool wholeSensorRefused_ = false; // the device kept its binning or CCD_FRAME
    Clock::time_point streamOnAllowedAt_{};
    // When the server last defined a property not seen before.
    Clock::time_point lastDefinedAt_{};
    std::optional<int> appliedGain_;
    std::optional<bool> appliedHflip_;
    std::optional<bool> appliedVflip_;
    std::thread worker_;
};

template <typename Predicate>
bool IndiCamera::WaitLocked(Lock& lock, std::chrono::milliseconds timeout, Predicate done) {
    return changed_.wait_for(lock, timeout, [&] { return done() || lost_ || stopping_; }) && done();
}

} // namespace orbicap::indi
