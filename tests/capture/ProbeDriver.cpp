// A camera driver for tests of the capture boundary. Every frame it delivers
// is labelled with what the driver was programmed with when the exposure was
// started: the first 16 bytes hold a marker, the window width and height and
// the depth; the last 4 bytes and bytes 16..19 hold the exposure's sequence
// number. It writes the whole programmed window and depth, as a real camera
// would, so a block that is smaller than that is overrun (and reported under
// AddressSanitizer), and a record labelled with another geometry shows.
//
// Subframe and DynamicRange sleep a little after taking their value, which
// widens the moment in which a capture thread that reads its requested
// window twice can be caught between the reads.
//
// ORBICAP_PROBE_DOUBLE_RELEASE=1 releases the semaphore twice per exposure.
// It exports no DriverDescription, so the program names it by file name.
#include "drivers/abi/qhy5v_driver.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace {

constexpr std::uint32_t kMarker = 0x50524F42; // "PROB"
constexpr auto kSettle = std::chrono::milliseconds(2);

struct Exposure {
    void* Block;
    std::int32_t Width, Height, Bits, ExposureMs;
    std::uint32_t Sequence;
};

void Put32(std::uint8_t* at, std::uint32_t value) {
    std::memcpy(at, &value, sizeof value);
}

// Exposes one queued exposure at a time on a worker thread, as a camera
// exposes one frame at a time.
class ProbeCamera {
public:
    ProbeCamera() : doubleRelease_(Flag("ORBICAP_PROBE_DOUBLE_RELEASE")) {}
    ~ProbeCamera() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        if (worker_.joinable())
            worker_.join();
    }

    std::atomic<std::int32_t> Width{752}, Height{480}, Bits{8}, ExposureMs{1};
    std::atomic<sem_t*> Semaphore{nullptr};

    void Start(void* block) {
        std::lock_guard lock(mutex_);
        if (!worker_.joinable())
            worker_ = std::thread([this] { Run(); });
        pending_.push_back({block, Width, Height, Bits, ExposureMs, next_++});
        wake_.notify_all();
    }

    void Cancel() {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
        wake_.notify_all();
    }

private:
    static bool Flag(const char* name) {
        const char* value = std::getenv(name);
        return value && std::strcmp(value, "1") == 0;
    }

    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return quit_ || !pending_.empty(); });
            if (quit_)
                return;
            const Exposure e = pending_.front();
            pending_.pop_front();
            cancelled_ = false;
            wake_.wait_for(lock, std::chrono::milliseconds(e.ExposureMs),
                           [this] { return quit_ || cancelled_; });
            lock.unlock();
            Fill(e);
            if (sem_t* s = Semaphore.load()) {
                sem_post(s);
                if (doubleRelease_)
                    sem_post(s);
            }
            lock.lock();
        }
    }

    static void Fill(const Exposure& e) {
        const std::size_t bytes =
            static_cast<std::size_t>(e.Width) * e.Height * (e.Bits == 10 ? 2 : 1);
        auto* p = static_cast<std::uint8_t*>(e.Block);
        std::memset(p, static_cast<int>(e.Sequence & 0x7F), bytes);
        Put32(p + bytes - 4, e.Sequence);
        Put32(p + 4, static_cast<std::uint32_t>(e.Width));
        Put32(p + 8, static_cast<std::uint32_t>(e.Height));
        Put32(p + 12, static_cast<std::uint32_t>(e.Bits));
        Put32(p + 16, e.Sequence);
        Put32(p, kMarker); // last, so a block taken too early lacks it or has an old one
    }

    const bool doubleRelease_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Exposure> pending_;
    std::uint32_t next_ = 0;
    bool cancelled_ = false;
    bool quit_ = false;
    std::thread worker_;
};

ProbeCamera& Camera() {
    static ProbeCamera camera;
    return camera;
}

} // namespace

extern "C" {

int openUSB(int) {
    return 1;
}
void closeUSB(void) {}
void CameraReset(void) {}
int SendRegister(int, int) {
    return 1;
}
unsigned int GetVIDPID(void) {
    return 0x000116C0u;
}
void Subframe(int width, int height) {
    Camera().Width = width;
    Camera().Height = height;
    std::this_thread::sleep_for(kSettle);
}
void DynamicRange(int bits) {
    Camera().Bits = bits >= 10 ? 10 : 8;
    std::this_thread::sleep_for(kSettle);
}
int ProgramCamera(int exposureMs, int, int, int) {
    Camera().ExposureMs = exposureMs;
    return 1;
}
void ExposureSemaphore(sem_t* handle) {
    Camera().Semaphore = handle;
}
void ThreadedExposure(void* block) {
    Camera().Start(block);
}
int Exposure(void*) {
    return 0;
}
void CancelExposure(void) {
    Camera().Cancel();
}
void SetDigitalGain(int) {}
void SetCompanding(int) {}
void SetAGC(int) {}
void HorizontalFlip(int) {}
void VerticalFlip(int) {}
void RowNoise(int) {}
void ADCRef(int) {}
void bufferCopy(const void* source, void* destination, int bytes) {
    if (bytes > 0)
        std::memcpy(destination, source, static_cast<std::size_t>(bytes));
}
void debayerImage(const unsigned char*, unsigned char* destination, int width, int height) {
    std::memset(destination, 0, static_cast<std::size_t>(3) * width * height);
}
void debayerImageW(const unsigned short*, unsigned char* destination, int width, int height) {
    std::memset(destination, 0, static_cast<std::size_t>(3) * (width - 1) * (height - 1));
}
void debayerImageFITBYTE(const unsigned char*, unsigned char* buffer, int width, int height) {
    std::memset(buffer, 0, static_cast<std::size_t>(3) * width * (height - 1));
}
void debayerImageFITWORD(const unsigned short*, unsigned short* buffer, int width, int height) {
    std::memset(buffer, 0, static_cast<std::size_t>(6) * width * (height - 1));
}

} // extern "C"
