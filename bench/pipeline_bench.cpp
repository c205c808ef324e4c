// Frame pipeline kernels, each beside memcpy of the same output bytes (or,
// for the histogram, beside the plain one-table counting loop) in the same
// run. Compare: ProcessFrame8 / Memcpy/360960, ProcessFrame10 / Memcpy/721920,
// GreyDisplay/Z / Memcpy/<display bytes at Z>, HistogramCount / HistogramPlainLoop.
#include "bench/PipelineFixtures.h"
#include "pipeline/CpuFeatures.h"
#include "pipeline/DisplayScaler.h"
#include "pipeline/FrameIntake.h"
#include "pipeline/HistogramCount.h"
#include "pipeline/View.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ORBICAP_BENCH_VECTOR512 1
#include <immintrin.h>
#endif

namespace orbicap {
namespace {

using bench::DriverCopy;
using bench::Fastest;
using bench::kH;
using bench::kW;
using bench::Memcpy;
using bench::NullSink;
using bench::PlanetFrame;

BENCHMARK(Memcpy)
    ->Arg(188 * 120)
    ->Arg(376 * 240)
    ->Arg(kW* kH)
    ->Arg(2 * kW * kH)
    ->Arg(1504 * 960)
    ->Arg(3008 * 1920)
    ->ComputeStatistics("min", Fastest);

// Display due at every frame (the paint is marked handled each time);
// histogram and focus aid off, so this is the intake's own work.
void ProcessFrame(benchmark::State& state, bool tenBit) {
    ManualClock clock;
    NullSink sink;
    FrameIntake intake(clock, &DriverCopy, sink);
    const auto planet = PlanetFrame();
    std::vector<std::uint8_t> input(planet.size() * (tenBit ? 2 : 1));
    for (std::size_t k = 0; k < planet.size(); ++k) {
        if (tenBit) {
            const unsigned v = planet[k] * 4u + 1u;
            input[2 * k] = static_cast<std::uint8_t>(v & 0xFF);
            input[2 * k + 1] = static_cast<std::uint8_t>(v >> 8);
        } else {
            input[k] = planet[k];
        }
    }
    IntakeInputs inputs;
    inputs.HistogramChecked = false;
    for (auto _ : state) {
        intake.PaintPending = -1;
        intake.ProcessFrame({input.data(), kW, kH, tenBit}, inputs);
        benchmark::DoNotOptimize(intake.FrameBitmap.Bits());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * planet.size()));
}
BENCHMARK_CAPTURE(ProcessFrame, ProcessFrame8, false)->ComputeStatistics("min", Fastest);
BENCHMARK_CAPTURE(ProcessFrame, ProcessFrame10, true)->ComputeStatistics("min", Fastest);

void GreyDisplay(benchmark::State& state, GreyKernel kernel) {
    const int zoom = static_cast<int>(state.range(0));
    const auto planet = PlanetFrame();
    const PixelSize size = ZoomedSize(kW, kH, zoom);
    std::vector<std::uint8_t> display(static_cast<std::size_t>(size.Width) * size.Height);
    const Palette lut = BuildPalette(10, 200, 240, 128);
    DisplayScaler scaler;
    const ScaleJob job{planet.data(),  kW,         kH,          kW,
                       display.data(), size.Width, size.Height, size.Width};
    for (auto _ : state) {
        scaler.ScaleGrey(job, lut, kernel);
        benchmark::DoNotOptimize(display.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * display.size()));
}
// What a reduction cannot avoid: loading every 64-byte line of the source
// rows it shows (every fourth row at 25 %, every second at 50 %), with no
// look-up and no store. A bound for the display rows, not a row of its own.
void SourceReads(benchmark::State& state) {
    const int step = 100 / static_cast<int>(state.range(0));
    const auto planet = PlanetFrame();
    for (auto _ : state) {
        std::uint64_t acc = 0;
        for (int y = 0; y < kH; y += step) {
            const std::uint8_t* row = planet.data() + static_cast<std::size_t>(y) * kW;
            for (int x = 0; x < kW; x += 64) {
                std::uint64_t word;
                std::memcpy(&word, row + x, sizeof word);
                acc |= word;
            }
        }
        benchmark::DoNotOptimize(acc);
    }
}
BENCHMARK(SourceReads)->Arg(25)->Arg(50)->ComputeStatistics("min", Fastest);

#ifdef ORBICAP_BENCH_VECTOR512
// The memory traffic of the 512-bit kernel at 25 % with nothing computed:
// every 64-byte line of the source rows shown, loaded whole from its line
// boundary (so no load straddles two lines), and the picture stored in the
// kernel's 64-byte blocks, each after the four lines it is made from, with
// the picture lines two rows further on fetched ahead (which took about a
// sixth off the whole loop on a processor where those lines missed the
// cache). Set beside the source reads, it tells how much of the display row's
// time the processor's loads and stores alone take.
__attribute__((target("avx512f"))) void MemoryTraffic(benchmark::State& state) {
    if (!HasByteShuffle512()) {
        state.SkipWithError("the display kernel here is not the 512-bit one");
        return;
    }
    constexpr int kLine = 64;
    const auto planet = PlanetFrame();
    // A copy that starts on a line boundary and has a spare line at the end,
    // so every whole-line load stays inside it.
    std::vector<std::uint8_t> storage(planet.size() + 2 * kLine);
    std::uint8_t* const frame =
        storage.data() + (kLine - reinterpret_cast<std::uintptr_t>(storage.data()) % kLine);
    std::memcpy(frame, planet.data(), planet.size());
    const PixelSize size = ZoomedSize(kW, kH, 25);
    std::vector<std::uint8_t> display(static_cast<std::size_t>(size.Width) * size.Height);
    const int blocks = (size.Width + kLine - 1) / kLine;
    for (auto _ : state) {
        for (int dy = 0; dy < size.Height; ++dy) {
            const std::uint8_t* row = frame + static_cast<std::size_t>(4 * dy) * kW;
            const std::uint8_t* first = row - reinterpret_cast<std::uintptr_t>(row) % kLine;
            const std::uint8_t* lastFour = first + ((row + kW - first - 1) / kLine - 3) * kLine;
            std::uint8_t* out = display.data() + static_cast<std::size_t>(dy) * size.Width;
            if (dy + 2 < size.Height)
                for (int x = 0; x < size.Width + kLine - 1; x += kLine)
                    _mm_prefetch(reinterpret_cast<const char*>(out + 2 * size.Width +
                                                               std::min(x, size.Width - 1)),
                                 _MM_HINT_T0);
            for (int b = 0; b < blocks; ++b) {
                const std::uint8_t* lines = std::min(first + 4 * kLine * b, lastFour);
                const __m512i block = _mm512_or_si512(
                    _mm512_or_si512(_mm512_load_si512(lines), _mm512_load_si512(lines + kLine)),
                    _mm512_or_si512(_mm512_load_si512(lines + 2 * kLine),
                                    _mm512_load_si512(lines + 3 * kLine)));
                _mm512_storeu_si512(out + std::min(b * kLine, size.Width - kLine), block);
            }
        }
        benchmark::DoNotOptimize(display.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(MemoryTraffic)->Arg(25)->ComputeStatistics("min", Fastest);
#endif

BENCHMARK_CAPTURE(GreyDisplay, GreyDisplay, GreyKernel::Best)
    ->Arg(25)
    ->Arg(50)
    ->Arg(100)
    ->Arg(200)
    ->Arg(400)
    ->ComputeStatistics("min", Fastest);
BENCHMARK_CAPTURE(GreyDisplay, GreyDisplayPortable, GreyKernel::Portable)
    ->Arg(25)
    ->Arg(100)
    ->Arg(400)
    ->ComputeStatistics("min", Fastest);

void HistogramCount(benchmark::State& state) {
    const auto planet = PlanetFrame();
    for (auto _ : state) {
        HistogramCounts counts = CountHistogram(planet.data(), planet.size());
        benchmark::DoNotOptimize(counts.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * planet.size()));
}
BENCHMARK(HistogramCount)->ComputeStatistics("min", Fastest);

// The plain loop the fast count is measured against.
__attribute__((noinline)) HistogramCounts PlainCount(const std::uint8_t* pixels, std::size_t n) {
    HistogramCounts counts{};
    for (std::size_t k = 0; k < n; ++k)
        ++counts[pixels[k]];
    return counts;
}

void HistogramPlainLoop(benchmark::State& state) {
    const auto planet = PlanetFrame();
    for (auto _ : state) {
        HistogramCounts counts = PlainCount(planet.data(), planet.size());
        benchmark::DoNotOptimize(counts.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * planet.size()));
}
BENCHMARK(HistogramPlainLoop)->ComputeStatistics("min", Fastest);

} // namespace
} // namespace orbicap

BENCHMARK_MAIN();
