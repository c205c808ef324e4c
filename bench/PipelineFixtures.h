#pragma once

// What the display and intake benchmarks share: the frame they run on, the
// statistic they read, and stand-ins for the window's message sink and the
// driver's copy.
#include "pipeline/FrameIntake.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace orbicap::bench {

inline constexpr int kW = 752;
inline constexpr int kH = 480;

// A planet on a dark sky: noise around 3 everywhere, a limb-darkened disc of
// 100 pixels radius with bands, a few hot pixels.
inline std::vector<std::uint8_t> PlanetFrame() {
    std::mt19937 rng(42);
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(kW) * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const double dx = x - 376.0, dy = y - 240.0;
            const double r = std::sqrt(dx * dx + dy * dy) / 100.0;
            double v = 3.0 + static_cast<double>(rng() % 3);
            if (r < 1.0)
                v += 150.0 * std::sqrt(1.0 - r * r) * (0.8 + 0.2 * std::sin(y * 0.15)) +
                     static_cast<double>(rng() % 5);
            frame[static_cast<std::size_t>(y) * kW + x] =
                static_cast<std::uint8_t>(v > 255.0 ? 255.0 : v);
        }
    frame[1000] = 255;
    return frame;
}

// The machine is shared, so the fastest repetition is the steadiest figure:
// run with --benchmark_repetitions=N and read the _min rows.
inline double Fastest(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

class NullSink : public IntakeSink {
public:
    void PostFramePaint() override {}
    void PostFrameStore() override {}
    void DropOldestFrame() override {}
    void UpdateHistogram(const std::uint8_t*, int, int) override {}
};

inline void DriverCopy(const void* source, void* destination, int bytes) {
    std::memcpy(destination, source, static_cast<std::size_t>(bytes));
}

// memcpy of state.range(0) bytes: the limit most rows are measured against.
inline void Memcpy(benchmark::State& state) {
    const auto bytes = static_cast<std::size_t>(state.range(0));
    std::vector<std::uint8_t> src(bytes, 1), dst(bytes);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), bytes);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

} // namespace orbicap::bench
