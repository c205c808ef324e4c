#pragma once

#include "pipeline/HistogramCount.h"
#include "platform/TickCounter.h"

#include <QColor>

#include <array>
#include <cstdint>
#include <optional>

namespace orbicap {

// Chart mark styles of the level marks under the histogram.
inline constexpr int kMarkFilledUpTriangle = 36;
inline constexpr int kMarkHollowUpTriangle = 35;

struct HistogramMark {
    int Style = 0;
    double X = 0;
    double Y = 0;
};

// One computed histogram, ready for the chart: a vertical line from (i, 0) to
// (i, Heights[i]) per value in DataColor, ranges, readouts and the two marks
// (drawn in black).
struct HistogramPlot {
    HistogramCounts Counts{};
    std::array<double, 256> Heights{};
    QColor DataColor;
    double Max = 0;  // largest height
    double Prev = 0; // running maximum just before Max was reached
    double Ymax = 0;
    double XMin = -1, XMax = 258, YMin = 0;
    int Average = 0;        // "AVG:%d"
    bool Saturated = false; // show "SAT"
    double Mh = 0;          // height of the marks, whole y units
    HistogramMark BlackMark;
    HistogramMark WhiteMark;
};

// Histogram panel state: at most one computation per 500 ms.
class HistogramState {
public:
    // Tick after which the next computation may run.
    Tick NextHistogramTick = 0;

    // Returns the new plot, or nothing when the last computation is less than
    // 500 ms ago (then nothing changes). pixels: width x height 8-bit values.
    std::optional<HistogramPlot> UpdateHistogram(const std::uint8_t* pixels, int width, int height,
                                                 bool logarithmic, int blackPos, int whitePos,
                                                 int chartHeightPx, const TickSource& ticks);

private:
    bool computed_ = false; // NextHistogramTick is meaningless before the first run
};

// The plot of given counts, without the timing (also for the tests' own tables).
HistogramPlot PlotHistogram(const HistogramCounts& counts, std::uint64_t pixelCount,
                            bool logarithmic, int blackPos, int whitePos, int chartHeightPx = 121);

} // namespace orbicap
