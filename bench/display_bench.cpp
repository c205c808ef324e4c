// The whole display refresh as the window runs it at 400 %: palette, zoom,
// the hand-over to the image view and the aids' redraw path (nothing to
// draw), beside memcpy of the output picture's bytes in the same run.
// DisplayRefreshCopying/400 repeats it with a view that keeps its own copy of
// the picture, as the view once did, so the cost of that copy shows.
#include "pipeline/DisplayRenderer.h"
#include "pipeline/FrameIntake.h"
#include "platform/TickCounter.h"
#include "ui/ImageView.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace orbicap {
namespace {

constexpr int kW = 752;
constexpr int kH = 480;

std::vector<std::uint8_t> PlanetFrame() {
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(kW) * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const double r = std::hypot(x - 376.0, y - 240.0) / 100.0;
            const double v = 3.0 + (r < 1.0 ? 150.0 * std::sqrt(1.0 - r * r) : 0.0);
            frame[static_cast<std::size_t>(y) * kW + x] = static_cast<std::uint8_t>(v);
        }
    return frame;
}

double Fastest(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

class NullSink : public IntakeSink {
public:
    void PostFramePaint() override {}
    void PostFrameStore() override {}
    void DropOldestFrame() override {}
    void UpdateHistogram(const std::uint8_t*, int, int) override {}
};

void DriverCopy(const void* source, void* destination, int bytes) {
    std::memcpy(destination, source, static_cast<std::size_t>(bytes));
}

void Memcpy(benchmark::State& state) {
    const auto bytes = static_cast<std::size_t>(state.range(0));
    std::vector<std::uint8_t> src(bytes, 1), dst(bytes);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), bytes);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(Memcpy)->Arg(3008 * 1920)->ComputeStatistics("min", Fastest);

void Refresh(benchmark::State& state, bool viewCopies) {
    ManualClock clock;
    NullSink sink;
    FrameIntake intake(clock, &DriverCopy, sink);
    const auto planet = PlanetFrame();
    IntakeInputs inputs;
    inputs.HistogramChecked = false;
    intake.ProcessFrame(planet.data(), kW, false, kH, inputs);

    DisplayRenderer renderer;
    renderer.ZoomPercent = static_cast<int>(state.range(0));
    renderer.BlackLevel = 10;
    renderer.WhiteLevel = 200;
    ImageView view;
    view.ShowPicture(&renderer.DisplayBitmap);
    QImage kept; // what a view holding its own picture keeps between frames
    renderer.Hooks.DrawAids = [](QImage&, bool) {};
    renderer.Hooks.Repaint = [&] {
        if (viewCopies)
            kept = renderer.DisplayBitmap;
        view.PictureChanged();
    };
    for (auto _ : state) {
        intake.PaintPending = 0;
        renderer.RefreshDisplay(intake);
        benchmark::DoNotOptimize(renderer.DisplayBitmap.constBits());
        benchmark::ClobberMemory();
    }
}
BENCHMARK_CAPTURE(Refresh, DisplayRefresh, false)->Arg(400)->ComputeStatistics("min", Fastest);
BENCHMARK_CAPTURE(Refresh, DisplayRefreshCopying, true)
    ->Arg(400)
    ->ComputeStatistics("min", Fastest);

} // namespace
} // namespace orbicap

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
