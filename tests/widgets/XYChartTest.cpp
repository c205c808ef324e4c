#include "widgets/XYChart.h"

#include <QImage>
#include <gtest/gtest.h>

using orbicap::XYChart;

namespace {

// The histogram's chart: 161 x 121 with a 10-pixel left and bottom margin, so the plot area is
// columns 10..155 and rows 5..110; the axes lie on column 9 and row 111.
class HistogramChart : public ::testing::Test {
protected:
    void SetUp() override {
        chart.setFixedSize(161, 121);
        chart.SetMargins(10, 5, 5, 10);
    }

    bool IsColor(const QImage& img, int x, int y, const QColor& c) const {
        return img.pixelColor(x, y).rgb() == c.rgb();
    }

    static constexpr int kLeft = 10;
    static constexpr int kRight = 155;
    static constexpr int kTop = 5;
    static constexpr int kBottom = 110;
    XYChart chart;
};

TEST_F(HistogramChart, VerticalLineLandsOnTheMappedColumn) {
    struct Case {
        double x;
        int column;
    };
    // column = 10 + (x + 1) / 259 * 145, rounded
    const Case cases[] = {{-1, kLeft}, {0, 11}, {127, 82}, {255, 153}, {258, kRight}};
    for (const Case& c : cases) {
        chart.Clear();
        chart.SetXRange(-1, 258);
        chart.SetYRange(0, 100);
        chart.SetDataColor(Qt::red);
        chart.MoveTo(c.x, 0);
        chart.LineTo(c.x, 100);
        const QImage img = chart.Render();
        const int mid = (kTop + kBottom) / 2;
        EXPECT_TRUE(IsColor(img, c.column, mid, Qt::red)) << "x " << c.x;
        EXPECT_TRUE(IsColor(img, c.column, kTop, Qt::red)) << "x " << c.x;
        EXPECT_TRUE(IsColor(img, c.column, kBottom, Qt::red)) << "x " << c.x;
        EXPECT_FALSE(IsColor(img, c.column - 1, mid, Qt::red)) << "x " << c.x;
        EXPECT_FALSE(IsColor(img, c.column + 1, mid, Qt::red)) << "x " << c.x;
    }
}

TEST_F(HistogramChart, YRangeScalesHeightsAndClipsBarsAboveIt) {
    chart.SetXRange(0, 145);  // one data unit per column
    chart.SetYRange(10, 115); // one data unit per row, offset by 10
    chart.SetDataColor(Qt::red);
    chart.MoveTo(20, 10);
    chart.LineTo(20, 40); // rows 110 up to 80
    chart.SetDataColor(Qt::blue);
    chart.MoveTo(60, 10);
    chart.LineTo(60, 1.0e9); // far above the range: cut at the top of the plot area

    const QImage img = chart.Render();
    EXPECT_TRUE(IsColor(img, 30, kBottom, Qt::red));
    EXPECT_TRUE(IsColor(img, 30, 80, Qt::red));
    EXPECT_FALSE(IsColor(img, 30, 79, Qt::red));
    EXPECT_TRUE(IsColor(img, 70, kTop, Qt::blue));
    EXPECT_TRUE(IsColor(img, 70, kBottom, Qt::blue));
    EXPECT_FALSE(IsColor(img, 70, kTop - 1, Qt::blue));
    EXPECT_FALSE(IsColor(img, 70, kBottom + 2, Qt::blue));
}

TEST_F(HistogramChart, FilledAndHollowTrianglesHaveTheirSizeAndFill) {
    chart.SetXRange(0, 145);
    chart.SetYRange(0, 105);
    chart.SetDataColor(Qt::black);
    chart.Mark(40, 50, XYChart::MarkTriangleUpFilled);  // pixel (50, 60)
    chart.Mark(100, 50, XYChart::MarkTriangleUpHollow); // pixel (110, 60)
    const QImage img = chart.Render();

    for (int cx : {50, 110}) {
        EXPECT_TRUE(IsColor(img, cx, 56, Qt::black)) << "apex, mark at " << cx;
        EXPECT_FALSE(IsColor(img, cx, 55, Qt::black)) << "above apex, mark at " << cx;
        EXPECT_TRUE(IsColor(img, cx - 4, 63, Qt::black)) << "left corner, mark at " << cx;
        EXPECT_TRUE(IsColor(img, cx + 4, 63, Qt::black)) << "right corner, mark at " << cx;
        EXPECT_TRUE(IsColor(img, cx, 63, Qt::black)) << "base, mark at " << cx;
        EXPECT_FALSE(IsColor(img, cx - 5, 63, Qt::black)) << "left of base, mark at " << cx;
        EXPECT_FALSE(IsColor(img, cx + 5, 63, Qt::black)) << "right of base, mark at " << cx;
        EXPECT_FALSE(IsColor(img, cx, 64, Qt::black)) << "below base, mark at " << cx;
    }
    EXPECT_TRUE(IsColor(img, 50, 61, Qt::black)) << "filled inside";
    EXPECT_TRUE(IsColor(img, 50, 59, Qt::black)) << "filled inside";
    EXPECT_TRUE(IsColor(img, 110, 61, chart.AreaColor())) << "hollow inside";
    EXPECT_TRUE(IsColor(img, 110, 59, chart.AreaColor())) << "hollow inside";
}

TEST_F(HistogramChart, MarksOnTheAxisReachIntoTheMarginUnclipped) {
    chart.SetXRange(0, 145);
    chart.SetYRange(0, 105);
    chart.SetDataColor(Qt::black);
    chart.Mark(0, 0, XYChart::MarkTriangleUpFilled); // pixel (10, 110)
    const QImage img = chart.Render();
    EXPECT_TRUE(IsColor(img, 6, 113, Qt::black));
    EXPECT_TRUE(IsColor(img, 14, 113, Qt::black));
}

TEST_F(HistogramChart, EmptyChartIsPlainGreyAreaWithTickedAxesAndNoNumbers) {
    chart.SetXRange(-1, 258);
    chart.SetYRange(0, 300);
    const QImage img = chart.Render();

    for (int y = kTop; y <= kBottom; ++y) {
        for (int x = kLeft; x <= kRight; ++x) {
            ASSERT_TRUE(IsColor(img, x, y, chart.AreaColor())) << x << "," << y;
        }
    }
    EXPECT_NE(chart.AreaColor().rgb(), QColor(Qt::white).rgb());
    EXPECT_GT(qGray(chart.AreaColor().rgb()), 180);

    for (int y = kTop; y <= kBottom + 1; ++y) {
        ASSERT_TRUE(IsColor(img, kLeft - 1, y, Qt::black)) << "y axis at row " << y;
    }
    for (int x = kLeft - 1; x <= kRight; ++x) {
        ASSERT_TRUE(IsColor(img, x, kBottom + 2 - 1, Qt::black)) << "x axis at column " << x;
    }
    int yTicks = 0;
    for (int y = 0; y < img.height(); ++y) {
        yTicks += IsColor(img, kLeft - 3, y, Qt::black) ? 1 : 0;
    }
    int xTicks = 0;
    for (int x = 0; x < img.width(); ++x) {
        xTicks += IsColor(img, x, kBottom + 3, Qt::black) ? 1 : 0;
    }
    EXPECT_GE(yTicks, 3);
    EXPECT_GE(xTicks, 3);
    // Nothing but ticks in the margins: no scale numbers.
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < kLeft - 4; ++x) {
            ASSERT_FALSE(IsColor(img, x, y, Qt::black)) << x << "," << y;
        }
    }
    for (int y = kBottom + 5; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            ASSERT_FALSE(IsColor(img, x, y, Qt::black)) << x << "," << y;
        }
    }
}

TEST_F(HistogramChart, ClearForgetsStrokesAndMarks) {
    chart.SetXRange(-1, 258);
    chart.SetYRange(0, 50);
    const QImage empty = chart.Render();

    chart.SetDataColor(QColor(160, 160, 0));
    for (int i = 0; i < 256; ++i) {
        chart.MoveTo(i, 0);
        chart.LineTo(i, i % 40 + 1);
    }
    chart.SetDataColor(Qt::black);
    chart.Mark(10, 1, XYChart::MarkTriangleUpFilled);
    ASSERT_NE(chart.Render(), empty);

    chart.Clear();
    EXPECT_EQ(chart.SegmentCount(), 0);
    EXPECT_EQ(chart.MarkCount(), 0);
    EXPECT_EQ(chart.Render(), empty);

    // The pen restarts at the origin after a clear.
    chart.LineTo(0, 50);
    EXPECT_TRUE(IsColor(chart.Render(), 11, kTop, Qt::black));
}

TEST(XYChart, ScaleNumbersAppearOnlyWhenAskedFor) {
    XYChart chart;
    chart.setFixedSize(365, 137);
    chart.SetMargins(30, 5, 5, 10);
    chart.SetXRange(0, 120);
    chart.SetYRange(35, 210);
    const auto darkPixelsLeftOfTicks = [&chart] {
        const QImage img = chart.Render();
        int dark = 0;
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < 25; ++x) {
                dark += qGray(img.pixel(x, y)) < 128 ? 1 : 0;
            }
        }
        return dark;
    };
    EXPECT_EQ(darkPixelsLeftOfTicks(), 0);
    chart.SetScaleNumbers(true);
    EXPECT_GT(darkPixelsLeftOfTicks(), 10);
}

} // namespace
