#include "pipeline/Histogram.h"

#include <cfenv>
#include <cmath>

namespace orbicap {
namespace {

constexpr Tick kHistogramIntervalMs = 500;

double RoundHalfEven(double v) {
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(v);
    std::fesetround(saved);
    return r;
}

} // namespace

HistogramPlot PlotHistogram(const HistogramCounts& counts, std::uint64_t pixelCount,
                            bool logarithmic, int blackPos, int whitePos, int chartHeightPx) {
    HistogramPlot plot;
    plot.Counts = counts;
    plot.DataColor = logarithmic ? QColor(0, 160, 160) : QColor(160, 160, 0);
    plot.Saturated = counts[255] > 0;

    // 64-bit, so no frame size can overflow the sum (752 x 480 x 255 fits 32
    // bits, but with only a factor of 23 to spare).
    std::uint64_t sum = 0;
    double max = 0;
    double prev = 0;
    for (std::size_t i = 0; i < 256; ++i) {
        const double y = logarithmic ? std::log(static_cast<double>(counts[i]) + 1.0)
                                     : static_cast<double>(counts[i]) + 1.0;
        plot.Heights[i] = y;
        if (y > max) {
            prev = max;
            max = y;
        }
        sum += static_cast<std::uint64_t>(i) * counts[i];
    }
    plot.Max = max;
    plot.Prev = prev;
    plot.Average = pixelCount ? static_cast<int>(RoundHalfEven(static_cast<double>(sum) /
                                                               static_cast<double>(pixelCount)))
                              : 0;
    // One value towering more than ten times above the rest is cut off so
    // that the rest of the histogram stays readable.
    plot.Ymax = (10 * prev >= max || prev == 0) ? max + 5 : 2 * prev;
    // About three pixels above the axis, in whole y units.
    plot.Mh = chartHeightPx > 0 ? RoundHalfEven(plot.Ymax / chartHeightPx * 3) : 0;
    plot.BlackMark = {kMarkFilledUpTriangle, static_cast<double>(blackPos), plot.Mh};
    plot.WhiteMark = {kMarkHollowUpTriangle, static_cast<double>(whitePos), plot.Mh};
    return plot;
}

std::optional<HistogramPlot> HistogramState::UpdateHistogram(const std::uint8_t* pixels, int width,
                                                             int height, bool logarithmic,
                                                             int blackPos, int whitePos,
                                                             int chartHeightPx,
                                                             const TickSource& ticks) {
    const Tick now = ticks.Now();
    if (computed_ && TickBefore(now, NextHistogramTick))
        return std::nullopt;
    NextHistogramTick = now + kHistogramIntervalMs;
    computed_ = true;
    const std::uint64_t n = (width > 0 && height > 0) ? static_cast<std::uint64_t>(width) *
                                                            static_cast<std::uint64_t>(height)
                                                      : 0;
    const HistogramCounts counts = n ? CountHistogram(pixels, n) : HistogramCounts{};
    return PlotHistogram(counts, n, logarithmic, blackPos, whitePos, chartHeightPx);
}

} // namespace orbicap
