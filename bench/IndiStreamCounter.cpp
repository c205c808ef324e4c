// The limit of the indi_stream row: a bare INDI client that receives the
// camera's video stream and only counts whole frames of the expected size,
// so its rate is what the INDI transport delivers on this machine.
//
//   indi_stream_counter HOST PORT DEVICE SECONDS WIDTH HEIGHT
// prints "frames N seconds S cpu C gap G" (C: processor seconds of this
// process while counting; G: the longest wait between two frames, in ms, which
// tells a stalled camera from a slow transport).
#include <libindi/baseclient.h>
#include <libindi/basedevice.h>
#include <libindi/indiproperty.h>
#include <libindi/indipropertyblob.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <thread>

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class Counter : public INDI::BaseClient {
public:
    Counter(std::string device, std::size_t frameBytes)
        : device_(std::move(device)), frameBytes_(frameBytes) {}

    void newDevice(INDI::BaseDevice device) override {
        if (device_ == device.getDeviceName())
            seen_ = true;
    }
    void updateProperty(INDI::Property property) override {
        if (property.getType() != INDI_BLOB || device_ != property.getDeviceName())
            return;
        INDI::PropertyBlob blobs(property);
        for (const auto& blob : blobs)
            if (std::string(blob.getFormat()).rfind(".stream", 0) == 0 &&
                static_cast<std::size_t>(blob.getBlobLen()) == frameBytes_) {
                const auto now = std::chrono::steady_clock::now();
                if (frames_ > 0)
                    longestGap_ = std::max(longestGap_, now - last_);
                last_ = now;
                frames_.fetch_add(1);
            }
    }

    std::atomic<bool> seen_{false};
    std::atomic<long> frames_{0};
    // Written on the socket thread only; read after the count has ended.
    std::chrono::steady_clock::duration longestGap_{};
    std::chrono::steady_clock::time_point last_{};

private:
    std::string device_;
    std::size_t frameBytes_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 7) {
        std::fprintf(stderr, "usage: %s HOST PORT DEVICE SECONDS WIDTH HEIGHT\n", argv[0]);
        return 2;
    }
    const double seconds = std::atof(argv[4]);
    Counter counter(argv[3], static_cast<std::size_t>(std::atol(argv[5])) *
                                 static_cast<std::size_t>(std::atol(argv[6])));
    counter.setServer(argv[1], static_cast<unsigned int>(std::atoi(argv[2])));
    if (!counter.connectServer()) {
        std::fprintf(stderr, "cannot connect\n");
        return 1;
    }
    for (int i = 0; i < 100 && !counter.seen_; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    counter.setBLOBMode(B_ALSO, argv[3], nullptr);
    // Count from the first frame on, so the start-up is not part of the rate.
    for (int i = 0; i < 100 && counter.frames_ == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const long first = counter.frames_;
    const double cpuStart = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const long frames = counter.frames_ - first;
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = CpuSeconds() - cpuStart;
    counter.disconnectServer();
    std::printf(
        "frames %ld seconds %.3f cpu %.3f gap %lld\n", frames, elapsed, cpu,
        static_cast<long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(counter.longestGap_).count()));
    return frames > 0 ? 0 : 1;
}
