// Which exposures run from the stream, and which camera frame a window asks for.
#include "ExposurePlan.h"

#include <gtest/gtest.h>

namespace orbicap::indi {
namespace {

TEST(ExposurePlan, StreamOnlyForShortEightBitExposures) {
    EXPECT_EQ(ChoosePath(8, 1), ExposurePath::Stream);
    EXPECT_EQ(ChoosePath(8, 499), ExposurePath::Stream);
    EXPECT_EQ(ChoosePath(8, 500), ExposurePath::Single);
    EXPECT_EQ(ChoosePath(10, 1), ExposurePath::Single);
    EXPECT_EQ(ChoosePath(10, 5000), ExposurePath::Single);
}

TEST(ExposurePlan, FrameIsCentredClampedAndOnTheRedSite) {
    struct Case {
        const char* what;
        int sensorWidth, sensorHeight, width, height;
        MosaicPhase phase;
        SensorRect expected;
    };
    const Case cases[] = {
        {"centred", 1280, 1024, 752, 480, {}, {264, 272, 752, 480}},
        {"small window", 1280, 1024, 376, 240, {}, {452, 392, 376, 240}},
        {"sensor smaller than the window", 640, 360, 752, 480, {}, {0, 0, 640, 360}},
        {"the smallest simulator height", 752, 512, 752, 480, {}, {0, 16, 752, 480}},
        {"odd centre moves to an even origin", 1281, 1024, 752, 480, {}, {264, 272, 752, 480}},
        {"red on odd column and row", 1280, 1024, 752, 480, {1, 1}, {265, 273, 752, 480}},
        {"no spare row: unchanged", 753, 480, 752, 480, {0, 1}, {0, 0, 752, 480}},
        {"one spare column, red odd: moved onto it", 753, 480, 752, 480, {1, 0}, {1, 0, 752, 480}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SensorRect r =
            CentredFrame(c.sensorWidth, c.sensorHeight, c.width, c.height, c.phase);
        EXPECT_EQ(r.x, c.expected.x);
        EXPECT_EQ(r.y, c.expected.y);
        EXPECT_EQ(r.width, c.expected.width);
        EXPECT_EQ(r.height, c.expected.height);
    }
}

} // namespace
} // namespace orbicap::indi
