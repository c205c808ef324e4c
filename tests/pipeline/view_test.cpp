#include "pipeline/View.h"

#include <gtest/gtest.h>

namespace orbicap {
namespace {

struct ZoomCase {
    int w, h, zoom;
    PixelSize expected;
};

TEST(View, ZoomedSizeRoundsHalvesToEven) {
    const ZoomCase cases[] = {
        {752, 480, 25, {188, 120}},  {752, 480, 400, {3008, 1920}}, {376, 240, 50, {188, 120}},
        {752, 480, 100, {752, 480}}, {400, 400, 200, {800, 800}},   {10, 14, 25, {2, 4}},
        {1, 3, 50, {0, 2}},
    };
    for (const ZoomCase& c : cases)
        EXPECT_EQ(ZoomedSize(c.w, c.h, c.zoom), c.expected) << c.w << "x" << c.h << "@" << c.zoom;
}

TEST(View, PositionImageCentresOnlyWhereThePictureIsSmaller) {
    EXPECT_EQ(PositionImage(900, 600, 752, 480), (PixelPoint{74, 60}));
    EXPECT_EQ(PositionImage(900, 600, 1504, 960), (PixelPoint{0, 0}));
    EXPECT_EQ(PositionImage(900, 400, 752, 480), (PixelPoint{74, 0}));
    EXPECT_EQ(PositionImage(753, 481, 752, 480), (PixelPoint{0, 0})); // 1 div 2
    EXPECT_EQ(PositionImage(752, 480, 752, 480), (PixelPoint{0, 0}));
}

TEST(View, DisplayPositionsConvertToFramePixels) {
    EXPECT_EQ(DisplayToFrame(301, 200), 150);
    EXPECT_EQ(DisplayToFrame(75, 25), 300);
    EXPECT_EQ(DisplayToFrame(751, 100), 751);
    EXPECT_EQ(DisplayToFrame(3, 400), 0);
}

TEST(View, FrameRateText) {
    const QLocale c = QLocale::c();
    EXPECT_EQ(FrameRateText(25, 2000, c), QStringLiteral("12.5 FPS"));
    EXPECT_EQ(FrameRateText(0, 1000, c), QStringLiteral("0.0 FPS"));
    EXPECT_EQ(FrameRateText(1, 1000, c), QStringLiteral("1.0 FPS"));
    EXPECT_EQ(FrameRateText(1234, 1000, c), QStringLiteral("1234.0 FPS"));
    EXPECT_EQ(FrameRateText(25, 2000, QLocale(QLocale::German)), QStringLiteral("12,5 FPS"));
}

TEST(View, FrameRateWithoutElapsedTimeGivesNoNewText) {
    EXPECT_FALSE(FrameRateText(30, 0, QLocale::c()).has_value());
}

} // namespace
} // namespace orbicap
