// The unpaced capture loop: the real capture thread on the simulator with
// exposures completing as fast as frames can be made, and a window-thread
// receiver that releases every frame. Reports frames per second.
#include "capture/VideoCapture.h"

#include "tests/support/FrameReceiver.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using namespace orbicap;

void BM_CaptureLoopUnpaced(benchmark::State& state) {
    setenv("ORBICAP_SIM_UNPACED", "1", 1);
    setenv("ORBICAP_SIM_STAMP", "1", 1);
    CMOSDLL32 camera;
    if (!camera.LoadCameraLibrary(std::string(ORBICAP_LIB_DIR) + "/libqhy5v-sim.so")) {
        state.SkipWithError(camera.Error().c_str());
        return;
    }
    FrameQueue queue;
    OverlayText overlay;
    TVideoCapture capture(camera, queue, overlay);
    test::FrameReceiver receiver(queue);
    if (!capture.OpenCamera()) {
        state.SkipWithError("no camera");
        return;
    }
    capture.ExposureMs = 1;
    capture.MainWindowHandle = &receiver;
    capture.Resume();
    // Warm up until the first frames flow.
    test::FrameReceiver::RunUntil([&] { return receiver.Frames.size() > 50; }, 10000);
    std::size_t frames = 0;
    bool inOrder = true;
    for (auto _ : state) {
        const std::size_t before = receiver.Frames.size();
        const auto start = std::chrono::steady_clock::now();
        test::FrameReceiver::RunUntil([&] { return receiver.Frames.size() >= before + 3000; },
                                      30000);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        frames += receiver.Frames.size() - before;
    }
    capture.Stop();
    for (std::size_t i = 1; i < receiver.Frames.size(); ++i)
        inOrder &= receiver.Frames[i].Stamp == receiver.Frames[i - 1].Stamp + 1;
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
    state.counters["in_order"] = inOrder ? 1 : 0;
    state.SetBytesProcessed(static_cast<std::int64_t>(frames) * 752 * 480);
}
BENCHMARK(BM_CaptureLoopUnpaced)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// The limit in the same run: copying the same bytes.
void BM_MemcpyFrame(benchmark::State& state) {
    std::vector<std::uint8_t> a(752 * 480, 7), b(752 * 480);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 752 * 480);
}
BENCHMARK(BM_MemcpyFrame);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
