#include "pipeline/FocusAid.h"

#include "pipeline/PictureRows.h"

#include <gtest/gtest.h>

#include <vector>

namespace orbicap {
namespace {

// A frame's 8-bit samples in buffer order, addressed by picture position.
struct Buffer {
    int W = 752;
    int H = 480;
    std::vector<std::uint8_t> Px = std::vector<std::uint8_t>(752u * 480u, 0);
    void Set(int x, int y, std::uint8_t v) {
        Px[static_cast<std::size_t>(BufferRowOfPictureRow(y, H)) * W + x] = v;
    }
    int Peak(FocusPoint c, bool colour = false) const {
        return FocusPeak(Px.data(), W, H, c, colour);
    }
};

TEST(FocusAid, UnsetCentreIsTheFrameCentreAndAPickedOneStaysInsideASmallerFrame) {
    EXPECT_EQ(EffectiveFocusCentre({}, 752, 480), (FocusPoint{376, 240}));
    EXPECT_EQ(EffectiveFocusCentre({100, 200}, 752, 480), (FocusPoint{100, 200}));
    // Picked on a full frame, then the frame shrank to 376 x 240.
    EXPECT_EQ(EffectiveFocusCentre({722, 450}, 376, 240), (FocusPoint{355, 219}));
    EXPECT_EQ(EffectiveFocusCentre({0, 0}, 376, 240), (FocusPoint{21, 21}));
}

TEST(FocusAid, PeakReadsItsOwnRowsOneAboveThePreview) {
    const FocusPoint c{376, 240};
    Buffer uniform;
    std::fill(uniform.Px.begin(), uniform.Px.end(), 7);
    EXPECT_EQ(FocusPeakText(uniform.Peak(c)), "007");

    Buffer below; // the last preview row, one row under the peak area
    below.Set(c.X, c.Y + 20, 200);
    EXPECT_EQ(below.Peak(c), 0);
    EXPECT_TRUE(FocusPreviewArea(c).contains(c.X, c.Y + 20));

    Buffer above; // one row over the preview, the first peak row
    above.Set(c.X, c.Y - 21, 200);
    EXPECT_EQ(above.Peak(c), 200);
    EXPECT_FALSE(FocusPreviewArea(c).contains(c.X, c.Y - 21));

    Buffer sides; // just outside the columns, either side
    sides.Set(c.X - 21, c.Y, 90);
    sides.Set(c.X + 21, c.Y, 90);
    sides.Set(c.X + 20, c.Y + 19, 80);
    EXPECT_EQ(sides.Peak(c), 80);
}

TEST(FocusAid, ColourPeakIsTheBestTwoByTwoMean) {
    const FocusPoint c{376, 240};
    Buffer b;
    // A block whose top-left corner is the first of the area.
    b.Set(c.X - 21, c.Y - 21, 100);
    b.Set(c.X - 20, c.Y - 21, 200);
    b.Set(c.X - 21, c.Y - 20, 200);
    b.Set(c.X - 20, c.Y - 20, 50);
    EXPECT_EQ(b.Peak(c, true), 137);
    EXPECT_EQ(b.Peak(c, false), 200); // the grey area reads the single pixels instead
    EXPECT_EQ(FocusPeakText(255), "255");
}

TEST(FocusAid, PreviewMagnifiesTheAreaAsDisplayed) {
    FrameBitmap frame(752, 480, PixelFormat::Indexed8);
    std::fill(frame.Bits(), frame.Bits() + frame.ByteCount(), 0);
    const FocusPoint c{100, 60};
    frame.PictureRow(c.Y - 20)[c.X - 20] = 10; // the area's top-left pixel
    frame.PictureRow(c.Y + 20)[c.X + 20] = 20; // its bottom-right pixel
    frame.PictureRow(c.Y - 21)[c.X] = 30;      // above the area
    frame.Colors = IdentityPalette();
    frame.Colors[10] = 111; // the display levels reach the preview
    frame.Colors[20] = 222;
    const QImage preview = FocusPreviewImage(frame, c, {272, 268});
    ASSERT_EQ(preview.size(), QSize(272, 268));
    EXPECT_EQ(qRed(preview.pixel(0, 0)), 111);
    EXPECT_EQ(qRed(preview.pixel(5, 5)), 111); // repeated, not smoothed
    EXPECT_EQ(qRed(preview.pixel(271, 267)), 222);
    EXPECT_EQ(qRed(preview.pixel(136, 0)), 0);

    FrameBitmap colour(752, 480, PixelFormat::Bgr24);
    std::fill(colour.Bits(), colour.Bits() + colour.ByteCount(), 0);
    std::uint8_t* p = colour.PictureRow(c.Y - 20) + 3 * (c.X - 20);
    p[0] = 1, p[1] = 2, p[2] = 3; // blue, green, red
    EXPECT_EQ(FocusPreviewImage(colour, c, {272, 268}).pixel(0, 0), qRgb(3, 2, 1));
}

} // namespace
} // namespace orbicap
