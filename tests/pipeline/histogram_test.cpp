#include "pipeline/Histogram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace orbicap {
namespace {

constexpr int kW = 752;
constexpr int kH = 480;
constexpr double kN = double(kW) * kH;

HistogramCounts CountsOf(std::initializer_list<std::pair<int, std::uint32_t>> bins) {
    HistogramCounts counts{};
    for (auto [value, count] : bins)
        counts[static_cast<std::size_t>(value)] = count;
    return counts;
}

TEST(HistogramCount, MatchesAPlainCountForAnyLength) {
    std::mt19937 rng(1);
    std::vector<std::uint8_t> pixels(10007);
    for (auto& p : pixels)
        p = static_cast<std::uint8_t>(rng() % 7 == 0 ? rng() : 3);
    for (std::size_t n :
         {std::size_t{0}, std::size_t{1}, std::size_t{7}, std::size_t{8}, std::size_t{9},
          std::size_t{15}, std::size_t{16}, std::size_t{17}, pixels.size()}) {
        HistogramCounts expected{};
        for (std::size_t k = 0; k < n; ++k)
            ++expected[pixels[k]];
        EXPECT_EQ(CountHistogram(pixels.data(), n), expected) << n;
    }
}

TEST(Histogram, AllBlackFrame) {
    ManualClock clock(5000);
    HistogramState state;
    const std::vector<std::uint8_t> frame(kW * kH, 0);
    const auto plot = state.UpdateHistogram(frame.data(), kW, kH, false, 0, 255, 121, clock);
    ASSERT_TRUE(plot);
    EXPECT_EQ(plot->Counts[0], static_cast<std::uint32_t>(kN));
    EXPECT_EQ(plot->Heights[0], kN + 1);
    for (std::size_t i = 1; i < 256; ++i)
        ASSERT_EQ(plot->Heights[i], 1.0) << i;
    EXPECT_EQ(plot->Max, kN + 1);
    EXPECT_EQ(plot->Prev, 0.0);
    EXPECT_EQ(plot->Ymax, kN + 6);
    EXPECT_EQ(plot->Average, 0);
    EXPECT_FALSE(plot->Saturated);
    EXPECT_EQ(plot->DataColor, QColor(160, 160, 0));
    EXPECT_EQ(plot->XMin, -1);
    EXPECT_EQ(plot->XMax, 258);
    EXPECT_EQ(plot->YMin, 0);
    // 360966 / 121 * 3 = 8949.57...
    EXPECT_EQ(plot->Mh, 8950);
    EXPECT_EQ(plot->BlackMark.Style, kMarkFilledUpTriangle);
    EXPECT_EQ(plot->BlackMark.X, 0);
    EXPECT_EQ(plot->WhiteMark.Style, kMarkHollowUpTriangle);
    EXPECT_EQ(plot->WhiteMark.X, 255);
    EXPECT_EQ(plot->WhiteMark.Y, 8950);
    EXPECT_EQ(state.NextHistogramTick, 5500u);
}

TEST(Histogram, OneSaturatedPixelRaisesTheWarning) {
    ManualClock clock;
    HistogramState state;
    std::vector<std::uint8_t> frame(kW * kH, 20);
    frame[12345] = 255;
    EXPECT_TRUE(state.UpdateHistogram(frame.data(), kW, kH, false, 0, 255, 121, clock)->Saturated);
}

TEST(Histogram, FullWhiteFrameAveragesWithoutOverflow) {
    ManualClock clock;
    HistogramState state;
    const std::vector<std::uint8_t> frame(kW * kH, 255);
    EXPECT_EQ(state.UpdateHistogram(frame.data(), kW, kH, false, 0, 255, 121, clock)->Average, 255);
}

TEST(Histogram, TowerAfterASmallMaximumIsCutOff) {
    // Heights 5, 100, 50 in value order: Prev is the maximum before the tower.
    const auto plot = PlotHistogram(CountsOf({{0, 4}, {1, 99}, {2, 49}}), 152, false, 0, 255);
    EXPECT_EQ(plot.Max, 100);
    EXPECT_EQ(plot.Prev, 5);
    EXPECT_EQ(plot.Ymax, 10);
}

TEST(Histogram, ComparableMaximaKeepTheFullHeight) {
    const auto plot = PlotHistogram(CountsOf({{0, 19}, {1, 99}}), 118, false, 0, 255);
    EXPECT_EQ(plot.Prev, 20);
    EXPECT_EQ(plot.Ymax, 105);
}

TEST(Histogram, LogarithmicSingleValueSitsMarksOnTheAxis) {
    const auto plot = PlotHistogram(CountsOf({{7, kW * kH}}), kW * kH, true, 30, 200);
    EXPECT_DOUBLE_EQ(plot.Max, std::log(kN + 1));
    EXPECT_EQ(plot.Heights[0], 0.0);
    EXPECT_EQ(plot.Prev, 0.0);
    EXPECT_DOUBLE_EQ(plot.Ymax, std::log(kN + 1) + 5);
    EXPECT_EQ(plot.Mh, 0);
    EXPECT_EQ(plot.BlackMark.X, 30);
    EXPECT_EQ(plot.BlackMark.Y, 0);
    EXPECT_EQ(plot.DataColor, QColor(0, 160, 160));
}

TEST(Histogram, AverageRoundsHalvesToEven) {
    EXPECT_EQ(PlotHistogram(CountsOf({{36, 1}, {37, 1}}), 2, false, 0, 255).Average, 36);
    EXPECT_EQ(PlotHistogram(CountsOf({{37, 1}, {38, 1}}), 2, false, 0, 255).Average, 38);
    EXPECT_EQ(PlotHistogram(CountsOf({{36, 2}, {37, 1}}), 3, false, 0, 255).Average, 36);
}

TEST(Histogram, AtMostOneComputationPerHalfSecond) {
    ManualClock clock(0xFFFFFF00u); // the interval straddles the counter's wrap
    HistogramState state;
    const std::vector<std::uint8_t> frame(64, 9);
    EXPECT_TRUE(state.UpdateHistogram(frame.data(), 8, 8, false, 0, 255, 121, clock));
    clock.Advance(200);
    EXPECT_FALSE(state.UpdateHistogram(frame.data(), 8, 8, false, 0, 255, 121, clock));
    clock.Advance(299);
    EXPECT_FALSE(state.UpdateHistogram(frame.data(), 8, 8, false, 0, 255, 121, clock));
    clock.Advance(1);
    EXPECT_TRUE(state.UpdateHistogram(frame.data(), 8, 8, false, 0, 255, 121, clock));
}

} // namespace
} // namespace orbicap
