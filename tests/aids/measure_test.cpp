#include "aids/ExclusiveOr.h"
#include "aids/Measure.h"

#include <gtest/gtest.h>

namespace orbicap {
namespace {

TEST(Measure, ReadoutsInPixelsAndArcSeconds) {
    EXPECT_EQ(DistanceText(LineLength({10, 10}, {13, 14})), "Distance 5.0 pixels");
    EXPECT_EQ(ArcSecondsText(100, FocalLengthMm("300")),
              QString::fromUtf8("412.5 arc seconds ( 0\u00b0  6' 52.5)"));
    for (const char* field : {"5", "", "9.9", "abc"})
        EXPECT_EQ(FocalLengthMm(QString::fromLatin1(field)), 1.0) << field;
    EXPECT_EQ(ArcSecondsText(1, FocalLengthMm("5")),
              QString::fromUtf8("1237.6 arc seconds ( 0\u00b0 20' 37.6)"));
    // Past a degree: 3 x 1237.59 x 1000 / 1000 arc seconds.
    EXPECT_EQ(ArcSecondsText(3000, 1000),
              QString::fromUtf8("3712.8 arc seconds ( 1\u00b0  1' 52.8)"));
}

QImage Ramp() {
    // Each pixel's grey tells where it is: 10 x + y + 1.
    QImage picture(20, 10, QImage::Format_Grayscale8);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            picture.scanLine(y)[x] = static_cast<uchar>(10 * x + y + 1);
    return picture;
}

TEST(Measure, ProfileStepsAlongTheLongerSideAndStopsNearTheEnd) {
    const QImage picture = Ramp();
    const auto profile = SampleProfile(picture, {0, 0}, {4, 1});
    ASSERT_TRUE(profile);
    // (0,0) at 1, then (1,0), (2,0) and (3,1) at 1, 2, 3; (4,1) is not sampled.
    const std::vector<QPointF> expect = {{1, 1}, {1, 11}, {2, 21}, {3, 32}};
    EXPECT_EQ(profile->Points, expect);
    EXPECT_EQ(profile->XEnd, 4);
    EXPECT_EQ(profile->Low, 1);
    EXPECT_EQ(profile->High, 32);

    EXPECT_FALSE(SampleProfile(picture, {5, 5}, {5, 5})); // start on end: nothing to plot

    // Leaving the picture: the points outside read 255.
    const auto outside = SampleProfile(picture, {18, 2}, {22, 2});
    ASSERT_TRUE(outside);
    const std::vector<QPointF> edge = {{1, 183}, {1, 193}, {2, 255}, {3, 255}};
    EXPECT_EQ(outside->Points, edge);
}

TEST(Measure, AxisBoundMovesOnTheThirdDisagreeingProfile) {
    ProfileAxis axis;
    axis.Follow(37, 201);
    EXPECT_EQ(axis.Low, 20);
    EXPECT_EQ(axis.High, 220);
    axis.Follow(45, 201);
    axis.Follow(45, 201);
    EXPECT_EQ(axis.Low, 20) << "moved before the third profile";
    axis.Follow(45, 201);
    EXPECT_EQ(axis.Low, 40);
    EXPECT_EQ(axis.High, 220);

    // A profile the other way clears the count: two up, one down, one up is not three.
    axis.Follow(70, 201);
    axis.Follow(70, 201);
    axis.Follow(5, 201);
    axis.Follow(70, 201);
    EXPECT_EQ(axis.Low, 40);
    // The high end has its own counts; 255 gives 260, above every sample.
    for (int i = 0; i < 3; ++i)
        axis.Follow(40, 255);
    EXPECT_EQ(axis.High, 260);
    axis.Reset();
    axis.Follow(0, 40);
    EXPECT_EQ(axis.Low, 0);
    EXPECT_EQ(axis.High, 60);
}

TEST(Measure, ExclusiveOrDrawingComesOffExactly) {
    QImage grey = Ramp();
    const QImage before = grey.copy();
    XorLine(grey, {1, 1}, {15, 8});
    EXPECT_NE(grey, before);
    EXPECT_EQ(grey.scanLine(1)[1], 255 - before.scanLine(1)[1]);
    XorMark(grey, {3, 3});
    XorLine(grey, {1, 1}, {15, 8});
    XorMark(grey, {3, 3});
    EXPECT_EQ(grey, before);

    QImage same = Ramp();
    XorLine(same, {4, 4}, {4, 4}); // a press without a move draws nothing
    EXPECT_EQ(same, before);

    QImage colour(8, 8, QImage::Format_BGR888);
    colour.fill(QColor(10, 20, 30));
    XorLine(colour, {-5, 2}, {7, 2}); // partly outside: clipped, no fault
    EXPECT_EQ(colour.pixelColor(0, 2), QColor(255 ^ 10, 20, 30));
    EXPECT_EQ(colour.pixelColor(6, 2), QColor(255 ^ 10, 20, 30));
    EXPECT_EQ(colour.pixelColor(7, 2), QColor(10, 20, 30)); // the end pixel is left alone
}

} // namespace
} // namespace orbicap
