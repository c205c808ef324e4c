#include "pipeline/View.h"

#include <cfenv>
#include <cmath>

namespace orbicap {
namespace {

int ZoomSide(int side, int zoomPercent) {
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double v =
        std::nearbyint(static_cast<double>(static_cast<std::int64_t>(side) * zoomPercent) / 100.0);
    std::fesetround(saved);
    return static_cast<int>(v);
}

int Centre(int box, int picture) {
    return picture < box ? (box - picture) / 2 : 0;
}

} // namespace

PixelSize ZoomedSize(int frameWidth, int frameHeight, int zoomPercent) {
    return {ZoomSide(frameWidth, zoomPercent), ZoomSide(frameHeight, zoomPercent)};
}

PixelPoint PositionImage(int boxWidth, int boxHeight, int pictureWidth, int pictureHeight) {
    return {Centre(boxWidth, pictureWidth), Centre(boxHeight, pictureHeight)};
}

int DisplayToFrame(int displayPosition, int zoomPercent) {
    if (zoomPercent <= 0)
        return displayPosition;
    return static_cast<int>(static_cast<std::int64_t>(displayPosition) * 100 / zoomPercent);
}

std::optional<QString> FrameRateText(std::int32_t frameCount, std::uint32_t elapsedMs,
                                     const QLocale& locale) {
    if (elapsedMs == 0)
        return std::nullopt;
    const double rate = static_cast<double>(frameCount) / static_cast<double>(elapsedMs) * 1000.0;
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(rate, 'f', 1) + QStringLiteral(" FPS");
}

} // namespace orbicap
