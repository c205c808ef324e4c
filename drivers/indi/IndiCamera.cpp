#include "IndiCamera.h"

#include "ServerProbe.h"

#include <algorithm>
#include <cstdio>

namespace orbicap::indi {

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kOpenLimit{10000};
// A connected device defines its properties in one burst; this long without a
// new one, the burst is over.
constexpr milliseconds kDefinitionsSettle{500};
constexpr int kProbeTimeoutMs = 3000;

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
    wholeSensorRefused_ = false;
    appliedGain_.reset();
    appliedHflip_.reset();
    appliedVflip_.reset();
    const Clock::time_point deadline = Clock::now() + kOpenLimit;
    lastDefinedAt_ = Clock::now();
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
    // The burst's end, not its first properties, makes the device usable: a
    // camera may define its video stream last (the 1.9.9 CCD simulator does,
    // after CCD_INFO and CCD_EXPOSURE), and an exposure planned without it
    // would take the single-exposure path and leave a subframe behind.
    for (;;) {
        const Clock::time_point settled = std::min(lastDefinedAt_ + kDefinitionsSettle, deadline);
        if (lost_ || Clock::now() >= settled)
            break;
        changed_.wait_until(lock, settled);
    }
    if (lost_)
        return fail("The INDI server at " + where + " closed the connection");
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
    if (!cache_.Find(device, property))
        lastDefinedAt_ = Clock::now();
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

} // namespace orbicap::indi
