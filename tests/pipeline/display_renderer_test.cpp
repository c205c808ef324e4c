#include "IntakeFixture.h"

#include "pipeline/DisplayRenderer.h"
#include "pipeline/FrameIntake.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace orbicap {
namespace {

using test::Pattern;

// Stand-in for the driver's demosaic: pixel k becomes blue k, green 255 - k,
// red 7 (mod 256), rows in input order.
void FakeDebayer(const unsigned char* source, unsigned char* destination, int width, int height) {
    for (int k = 0; k < width * height; ++k) {
        destination[3 * k] = source[k];
        destination[3 * k + 1] = static_cast<unsigned char>(255 - source[k]);
        destination[3 * k + 2] = 7;
    }
}

class DisplayRendererTest : public ::testing::Test {
protected:
    ManualClock clock;
    test::RecordingSink sink;
    FrameIntake intake{clock, &test::CopyLikeTheDriver, sink};
    DisplayRenderer renderer{&FakeDebayer};
    std::vector<std::string> calls;

    void SetUp() override {
        renderer.Hooks.DrawAids = [this](QImage&, bool fresh) {
            calls.push_back(fresh ? "aids" : "aids again");
        };
        renderer.Hooks.Repaint = [this] { calls.push_back("repaint"); };
        renderer.Hooks.AfterRefresh = [this] { calls.push_back("focus"); };
    }

    void Show(const std::vector<std::uint8_t>& frame, int w, int h) {
        intake.ProcessFrame({frame.data(), w, h}, IntakeInputs{});
        renderer.RefreshDisplay(intake);
    }

    // Grey of display pixel (x, y) for raw value of frame buffer row r, column c.
    static int Gray(const QImage& image, int x, int y) { return image.constScanLine(y)[x]; }
};

TEST_F(DisplayRendererTest, GreyFrameShowsPaletteGreysZoomed) {
    renderer.BlackLevel = 10;
    renderer.WhiteLevel = 20;
    renderer.ZoomPercent = 200;
    const auto frame = Pattern(752, 480, 1);
    Show(frame, 752, 480);

    EXPECT_EQ(intake.PaintPending, -1);
    const QImage& shown = renderer.DisplayBitmap;
    ASSERT_EQ(shown.size(), QSize(1504, 960));
    EXPECT_EQ(shown.format(), QImage::Format_Grayscale8);
    const Palette palette = BuildPalette(10, 20, 255, 255);
    EXPECT_EQ(intake.FrameBitmap.Colors, palette);
    // Buffer row 0 is the bottom of the picture.
    for (auto [r, c] : {std::pair{0, 0}, {0, 751}, {479, 0}, {123, 456}}) {
        const int raw = frame[static_cast<std::size_t>(r) * 752 + c];
        const int y = 2 * (479 - r);
        EXPECT_EQ(Gray(shown, 2 * c + 1, y + 1), palette[static_cast<std::size_t>(raw)])
            << "row " << r << " column " << c;
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"aids", "repaint", "focus"}));
}

TEST_F(DisplayRendererTest, NothingHappensWithoutAPendingPaint) {
    Show(Pattern(752, 480), 752, 480);
    calls.clear();
    const QImage before = renderer.DisplayBitmap.copy();
    renderer.ZoomPercent = 50;
    renderer.RefreshDisplay(intake);
    EXPECT_EQ(renderer.DisplayBitmap, before);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(intake.PaintPending, -1);
}

// An aid that marks by exclusive-or is erased by marking again, in the same
// picture, with no frame in between.
TEST_F(DisplayRendererTest, AidsDrawAgainBetweenFramesInThePictureAsItStands) {
    renderer.Hooks.DrawAids = [this](QImage& display, bool fresh) {
        calls.push_back(fresh ? "aids" : "aids again");
        display.scanLine(3)[4] ^= 0xFF;
    };
    Show(Pattern(64, 32, 1), 64, 32);
    const QImage marked = renderer.DisplayBitmap.copy();
    const uchar* pixels = renderer.DisplayBitmap.constBits();
    calls.clear();
    renderer.RedrawAids();
    EXPECT_EQ(calls, (std::vector<std::string>{"aids again", "repaint"}));
    EXPECT_NE(renderer.DisplayBitmap.constScanLine(3)[4], marked.constScanLine(3)[4]);
    renderer.RedrawAids();
    EXPECT_EQ(renderer.DisplayBitmap, marked);
    EXPECT_EQ(renderer.DisplayBitmap.constBits(), pixels); // drawn in place
}

TEST_F(DisplayRendererTest, ColourFrameIsDemosaicedAndIgnoresTheLevels) {
    renderer.ColorCamera = true;
    renderer.BlackLevel = 100;
    renderer.WhiteLevel = 101;
    renderer.ZoomPercent = 50;
    const auto frame = Pattern(376, 240, 4);
    Show(frame, 376, 240);

    EXPECT_EQ(intake.FrameBitmap.Format, PixelFormat::Bgr24);
    const QImage& shown = renderer.DisplayBitmap;
    ASSERT_EQ(shown.size(), QSize(188, 120));
    EXPECT_EQ(shown.format(), QImage::Format_BGR888);
    // Display (x, y) at 50 % shows picture (2x, 2y) = buffer row 239 - 2y.
    const int raw = frame[static_cast<std::size_t>(239 - 2 * 5) * 376 + 2 * 9];
    EXPECT_EQ(shown.pixel(9, 5), qRgb(7, 255 - raw, raw));

    // The next grey frame is shown through the palette again.
    renderer.ColorCamera = false;
    Show(Pattern(376, 240, 4), 376, 240);
    EXPECT_EQ(renderer.DisplayBitmap.format(), QImage::Format_Grayscale8);
    EXPECT_EQ(Gray(renderer.DisplayBitmap, 9, 5), raw <= 100 ? 0 : 255);
}

TEST_F(DisplayRendererTest, FailedDrawingIsSwallowedAndTheNextFrameShows) {
    renderer.Hooks.DrawAids = [this](QImage&, bool) {
        calls.push_back("aids");
        throw std::runtime_error("aid failed");
    };
    Show(Pattern(64, 32, 1), 64, 32);
    EXPECT_EQ(calls, (std::vector<std::string>{"aids", "focus"})) << "repaint must be skipped";
    EXPECT_EQ(intake.PaintPending, -1);

    renderer.Hooks.DrawAids = nullptr;
    calls.clear();
    Show(Pattern(64, 32, 2), 64, 32);
    EXPECT_EQ(calls, (std::vector<std::string>{"repaint", "focus"}));
}

TEST_F(DisplayRendererTest, MissingDemosaicDoesNotBlockTheDisplay) {
    DisplayRenderer unbound(nullptr);
    unbound.ColorCamera = true;
    int focus = 0;
    unbound.Hooks.AfterRefresh = [&] { ++focus; };
    intake.ProcessFrame({Pattern(64, 32).data(), 64, 32}, IntakeInputs{});
    unbound.RefreshDisplay(intake);
    EXPECT_EQ(intake.PaintPending, -1);
    EXPECT_EQ(focus, 1);
}

TEST_F(DisplayRendererTest, OverlayIsDrawnBeforeTheZoom) {
    renderer.OverlayVisible = true;
    renderer.Overlay.BackColor = Qt::white;
    renderer.Hooks.OverlayText = [] { return std::string(); };
    renderer.ZoomPercent = 200;
    std::vector<std::uint8_t> frame(200 * 100, 50);
    Show(frame, 200, 100);
    const QImage& shown = renderer.DisplayBitmap;
    // Frame pixel (10, 8) is the outline, (11, 9) the background, (9, 8) untouched;
    // each covers 2 x 2 display pixels.
    EXPECT_EQ(Gray(shown, 20, 16), 0);
    EXPECT_EQ(Gray(shown, 21, 17), 0);
    EXPECT_EQ(Gray(shown, 22, 18), 255);
    EXPECT_EQ(Gray(shown, 23, 19), 255);
    EXPECT_EQ(Gray(shown, 19, 16), 50);
}

} // namespace
} // namespace orbicap
