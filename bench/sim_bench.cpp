// How fast the simulated camera can deliver 752 x 480 8-bit frames when it
// ignores the exposure time: ThreadedExposure plus the wait for its release,
// the capture thread's whole cost per frame. Copying the same 360 960 bytes
// with memcpy is the limit it is measured against.
#include "capture/CMOSDLL32.h"
#include "platform/Semaphore.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 752;
constexpr int kHeight = 480;
constexpr std::size_t kFrameBytes = static_cast<std::size_t>(kWidth) * kHeight;

void BM_SimFrame(benchmark::State& state) {
    setenv("ORBICAP_SIM_UNPACED", "1", 1);
    orbicap::Semaphore exposure(0, 1);
    orbicap::CMOSDLL32 driver;
    if (!driver.LoadCameraLibrary(ORBICAP_LIB_DIR "/libqhy5v-sim.so")) {
        state.SkipWithError(driver.Error().c_str());
        return;
    }
    if (driver.openUSB(0) != 1) {
        state.SkipWithError("no camera");
        return;
    }
    driver.ExposureSemaphore(exposure.Handle());
    driver.Subframe(kWidth, kHeight);
    driver.DynamicRange(8);
    driver.ProgramCamera(10, 30, 128, 0);
    std::vector<unsigned char> block(kFrameBytes);
    // The first pass through the frame cycle renders; time only the steady state.
    for (int i = 0; i < 32; ++i) {
        driver.ThreadedExposure(block.data());
        if (!exposure.WaitFor(5000)) {
            state.SkipWithError("the driver did not release the semaphore");
            return;
        }
    }
    for (auto _ : state) {
        driver.ProgramCamera(10, 30, 128, 0); // as the capture thread does on every pass
        driver.ThreadedExposure(block.data());
        if (!exposure.WaitFor(5000)) {
            state.SkipWithError("the driver did not release the semaphore");
            break;
        }
        benchmark::DoNotOptimize(block.data());
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFrameBytes));
    unsetenv("ORBICAP_SIM_UNPACED");
}
BENCHMARK(BM_SimFrame)->UseRealTime()->MinTime(2.0);

void BM_MemcpyFrame(benchmark::State& state) {
    std::vector<unsigned char> source(kFrameBytes, 0x11);
    std::vector<unsigned char> target(kFrameBytes);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), kFrameBytes);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFrameBytes));
}
BENCHMARK(BM_MemcpyFrame)->UseRealTime()->MinTime(2.0);

// The display demosaics every painted colour frame; the same number of output
// bytes copied with memcpy is its limit.
void BM_DebayerImage(benchmark::State& state) {
    orbicap::CMOSDLL32 driver;
    if (!driver.LoadCameraLibrary(ORBICAP_LIB_DIR "/libqhy5v-sim.so")) {
        state.SkipWithError(driver.Error().c_str());
        return;
    }
    std::vector<unsigned char> mosaic(kFrameBytes);
    for (std::size_t i = 0; i < mosaic.size(); ++i)
        mosaic[i] = static_cast<unsigned char>(i * 37 + i / kWidth);
    std::vector<unsigned char> bgr(3 * kFrameBytes);
    for (auto _ : state) {
        driver.debayerImage(mosaic.data(), bgr.data(), kWidth, kHeight);
        benchmark::DoNotOptimize(bgr.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bgr.size()));
}
BENCHMARK(BM_DebayerImage)->UseRealTime();

void BM_MemcpyBgrFrame(benchmark::State& state) {
    std::vector<unsigned char> source(3 * kFrameBytes, 0x11);
    std::vector<unsigned char> target(3 * kFrameBytes);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), target.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * target.size()));
}
BENCHMARK(BM_MemcpyBgrFrame)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
