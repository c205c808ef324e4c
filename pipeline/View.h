#pragma once

#include <QLocale>
#include <QString>

#include <cstdint>
#include <optional>

namespace orbicap {

struct PixelSize {
    int Width = 0;
    int Height = 0;
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

struct PixelPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// The display size of a frame at zoomPercent: each side times the zoom over
// 100, rounded to the nearest integer with halves going to the even neighbour.
PixelSize ZoomedSize(int frameWidth, int frameHeight, int zoomPercent);

// Where the picture sits in the scroll box: centred along each side where it
// is smaller than the box, at 0 otherwise (integer division).
PixelPoint PositionImage(int boxWidth, int boxHeight, int pictureWidth, int pictureHeight);

// A position on the display image in frame pixels (position x 100 div zoom).
int DisplayToFrame(int displayPosition, int zoomPercent);

// The status bar's frame-rate readout ("12.5 FPS", with the locale's decimal
// separator) for frameCount frames in elapsedMs milliseconds. With no time
// elapsed there is no rate: the result is empty and the caller keeps the text
// it shows.
std::optional<QString> FrameRateText(std::int32_t frameCount, std::uint32_t elapsedMs,
                                     const QLocale& locale = QLocale());

} // namespace orbicap
