// The whole display refresh as the window runs it at 400 %: palette, zoom,
// the hand-over to the image view and the aids' redraw path (nothing to
// draw), beside memcpy of the output picture's bytes in the same run.
// DisplayRefreshCopying/400 repeats it with a view that keeps its own copy of
// the picture, as the view once did, so the cost of that copy shows.
#include "bench/PipelineFixtures.h"
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

using bench::DriverCopy;
using bench::Fastest;
using bench::kH;
using bench::kW;
using bench::Memcpy;
using bench::NullSink;
using bench::PlanetFrame;

BENCHMARK(Memcpy)->Arg(3008 * 1920)->ComputeStatistics("min", Fastest);

void Refresh(benchmark::State& state, bool viewCopies) {
    ManualClock clock;
    NullSink sink;
    FrameIntake intake(clock, &DriverCopy, sink);
    const auto planet = PlanetFrame();
    IntakeInputs inputs;
    inputs.HistogramChecked = false;
    intake.ProcessFrame({planet.data(), kW, kH}, inputs);

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
