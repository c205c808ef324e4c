#include "aids/Roddier.h"

#include <gtest/gtest.h>

namespace orbicap {
namespace {

TEST(Roddier, CircleThroughThreePoints) {
    const auto fit = FitCircle({100, 200}, {200, 100}, {300, 200});
    ASSERT_TRUE(fit);
    EXPECT_EQ(CentreText(fit), "c=200,200");
    EXPECT_EQ(RadiusText(fit), "r=100");
    EXPECT_DOUBLE_EQ(fit->Radius, 100.0);

    const auto small = FitCircle({0, 10}, {10, 0}, {20, 10});
    ASSERT_TRUE(small);
    EXPECT_EQ(CentreText(small), "c= 10, 10"); // three places, blank-padded
    EXPECT_EQ(RadiusText(small), "r= 10");
}

TEST(Roddier, CollinearOrRepeatedPointsGiveNoCircle) {
    const std::array<std::array<ImagePoint, 3>, 3> cases = {{
        {{{10, 10}, {20, 20}, {30, 30}}},
        {{{50, 60}, {50, 60}, {50, 60}}},
        {{{0, 0}, {0, 0}, {120, 40}}},
    }};
    for (const auto& p : cases) {
        const auto fit = FitCircle(p[0], p[1], p[2]);
        EXPECT_FALSE(fit);
        EXPECT_EQ(CentreText(fit), "c=---,---");
        EXPECT_EQ(RadiusText(fit), "r=----");
    }
}

TEST(Roddier, PointsShiftAndATripleStartsClean) {
    RoddierPoints points;
    EXPECT_FALSE(points.Add({5, 6}));
    EXPECT_EQ(points.Points[0], (ImagePoint{0, 0}));
    EXPECT_EQ(points.Points[2], (ImagePoint{5, 6}));
    EXPECT_FALSE(points.Add({7, 8}));
    EXPECT_TRUE(points.Add({9, 10}));
    EXPECT_EQ(points.Points[0], (ImagePoint{5, 6}));
    EXPECT_EQ(points.Points[1], (ImagePoint{7, 8}));
    // The next point begins a new triple: the old points are gone.
    EXPECT_FALSE(points.Add({11, 12}));
    EXPECT_EQ(points.Points[0], (ImagePoint{0, 0}));
    EXPECT_EQ(points.Points[1], (ImagePoint{0, 0}));
    EXPECT_EQ(points.Points[2], (ImagePoint{11, 12}));
}

TEST(Roddier, ReferenceRadiusStaysInTheSizeRange) {
    EXPECT_EQ(ReferenceRadius(20), 30);
    EXPECT_EQ(ReferenceRadius(400), 300);
    EXPECT_EQ(ReferenceRadius(100), 100);
}

} // namespace
} // namespace orbicap
