#include "pipeline/FrameOverlay.h"
#include "pipeline/Overlay.h"
#include "pipeline/PictureRows.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

#include <vector>

namespace orbicap {
namespace {

OverlayStyle Style(QColor back) {
    OverlayStyle style;
    style.BackColor = back;
    return style;
}

// Pixel (x, y), y from the top, of a bottom-up picture.
std::uint8_t& At(std::vector<std::uint8_t>& bottomUp, int width, int height, int x, int y,
                 int bpp = 1, int channel = 0) {
    return bottomUp[static_cast<std::size_t>(BufferRowOfPictureRow(y, height)) * width * bpp +
                    static_cast<std::size_t>(x) * bpp + channel];
}

TEST(OverlayTile, BoxEdgesFollowTheTextSize) {
    const OverlayStyle style = Style(QColor(200, 0, 0));
    const std::string text = "Jupiter 21:34:56.789";
    const QFontMetrics metrics(style.Font);
    const int w = metrics.horizontalAdvance(QString::fromStdString(text));
    const int h = metrics.height();
    const QImage tile = RenderOverlayTile(text, style);
    ASSERT_EQ(tile.size(), QSize(w + 14, h + 12));

    const QRgb black = qRgb(0, 0, 0);
    for (int y = 8; y <= h + 11; ++y) {
        // The text cell at (10, 10) is opaque and covers the left outline
        // beside the text, as text written over a box does.
        const bool besideText = y >= 10 && y < 10 + h;
        ASSERT_EQ(tile.pixel(10, y), besideText ? qRgb(200, 0, 0) : black)
            << "left edge at y " << y;
        ASSERT_EQ(tile.pixel(w + 13, y), black) << "right edge at y " << y;
        ASSERT_EQ(qAlpha(tile.pixel(9, y)), 0) << "left of the box at y " << y;
    }
    for (int x = 10; x <= w + 13; ++x) {
        ASSERT_EQ(tile.pixel(x, 8), black) << "top edge at x " << x;
        ASSERT_EQ(tile.pixel(x, h + 11), black) << "bottom edge at x " << x;
        ASSERT_EQ(qAlpha(tile.pixel(x, 7)), 0) << "above the box at x " << x;
    }
    // The margins inside the outline show the background, the text shows the text colour.
    EXPECT_EQ(tile.pixel(11, 9), qRgb(200, 0, 0));
    EXPECT_EQ(tile.pixel(w + 12, h + 10), qRgb(200, 0, 0));
    bool textDrawn = false;
    for (int y = 10; y < 10 + h; ++y)
        for (int x = 10; x < 10 + w; ++x)
            textDrawn = textDrawn || tile.pixel(x, y) == qRgb(255, 255, 255);
    EXPECT_TRUE(textDrawn);
}

TEST(OverlayTile, EmptyTextStillGetsABox) {
    const OverlayStyle style = Style(Qt::black);
    const int h = QFontMetrics(style.Font).height();
    const QImage tile = RenderOverlayTile("", style);
    EXPECT_EQ(tile.size(), QSize(14, h + 12));
    EXPECT_EQ(qAlpha(tile.pixel(13, h + 11)), 255);
}

TEST(OverlayIndexed, ColoursBecomeTheNearestPaletteGreys) {
    constexpr int kW = 60, kH = 40;
    std::vector<std::uint8_t> picture(kW * kH, 77);
    // Levels 10..20: greys 0, 26, 51, 76, 102, 128, ... at indices 10, 11, ...
    const Palette palette = BuildPalette(10, 20, 255, 255);
    const QImage tile = RenderOverlayTile("", Style(QColor(120, 120, 120)));
    DrawOverlayIndexed(picture.data(), kW, kH, kW, palette, tile);

    EXPECT_EQ(At(picture, kW, kH, 10, 8), 0) << "outline: first index showing black";
    EXPECT_EQ(At(picture, kW, kH, 11, 9), 15) << "grey 120 is nearest to 128 at index 15";
    EXPECT_EQ(At(picture, kW, kH, 9, 8), 77) << "outside the box";
    EXPECT_EQ(At(picture, kW, kH, 10, 7), 77) << "above the box";
    // The box lies at the top of the picture, which is the end of the memory.
    EXPECT_EQ(picture.front(), 77);
    EXPECT_EQ(picture[static_cast<std::size_t>((kH - 1 - 8) * kW + 10)], 0);
}

TEST(OverlayIndexed, ClippedToASmallPicture) {
    constexpr int kW = 12, kH = 10;
    std::vector<std::uint8_t> picture(kW * kH + 16, 77); // guard bytes after the picture
    const QImage tile = RenderOverlayTile("wide text that does not fit", Style(Qt::white));
    DrawOverlayIndexed(picture.data(), kW, kH, kW, IdentityPalette(), tile);
    EXPECT_EQ(At(picture, kW, kH, 10, 8), 0);
    EXPECT_EQ(At(picture, kW, kH, 11, 9), 255);
    for (std::size_t k = kW * kH; k < picture.size(); ++k)
        EXPECT_EQ(picture[k], 77) << "wrote outside the picture";
}

TEST(OverlayBgr, ColoursAreExact) {
    constexpr int kW = 50, kH = 40;
    std::vector<std::uint8_t> picture(kW * kH * 3, 5);
    const QImage tile = RenderOverlayTile("", Style(QColor(10, 200, 30)));
    DrawOverlayBgr(picture.data(), kW, kH, kW * 3, tile);
    EXPECT_EQ(At(picture, kW, kH, 11, 9, 3, 0), 30);
    EXPECT_EQ(At(picture, kW, kH, 11, 9, 3, 1), 200);
    EXPECT_EQ(At(picture, kW, kH, 11, 9, 3, 2), 10);
    EXPECT_EQ(At(picture, kW, kH, 10, 8, 3, 1), 0);
    EXPECT_EQ(At(picture, kW, kH, 9, 9, 3, 1), 5);
}

TEST(FrameOverlay, FollowsTheFramesFormat) {
    FrameBitmap grey(40, 30, PixelFormat::Indexed8);
    std::fill(grey.Bits(), grey.Bits() + grey.ByteCount(), 99);
    grey.Colors = BuildPalette(0, 100, 255, 255); // grey 255 first shown at index 100
    DrawOverlay(grey, "", Style(Qt::white));
    EXPECT_EQ(grey.PictureRow(9)[11], 100);

    FrameBitmap colour(40, 30, PixelFormat::Bgr24);
    std::fill(colour.Bits(), colour.Bits() + colour.ByteCount(), 99);
    DrawOverlay(colour, "", Style(QColor(1, 2, 3)));
    EXPECT_EQ(colour.PictureRow(9)[33], 3);
    EXPECT_EQ(colour.PictureRow(9)[35], 1);
}

} // namespace
} // namespace orbicap
