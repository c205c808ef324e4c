#include "pipeline/FocusAid.h"

#include "pipeline/PictureRows.h"

#include <algorithm>

namespace orbicap {

namespace {

// The colour blocks reach one column and row further than the grey area.
constexpr int kEdgeMargin = kFocusHalfSide + 1;

int Pixel(const std::uint8_t* buffer, int width, int height, int x, int y) {
    const int row = BufferRowOfPictureRow(y, height);
    return buffer[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
}

} // namespace

FocusPoint EffectiveFocusCentre(FocusPoint picked, int width, int height) {
    const FocusPoint middle{width / 2, height / 2};
    if (!picked.IsSet() || width < 2 * kEdgeMargin + 1 || height < 2 * kEdgeMargin + 1)
        return middle;
    return {std::clamp(picked.X, kEdgeMargin, width - kEdgeMargin),
            std::clamp(picked.Y, kEdgeMargin, height - kEdgeMargin)};
}

int FocusPeak(const std::uint8_t* buffer, int width, int height, FocusPoint c, bool colour) {
    if (!buffer || width < 2 * kEdgeMargin + 1 || height < 2 * kEdgeMargin + 1)
        return 0;
    int peak = 0;
    if (!colour) {
        for (int y = c.Y - kFocusHalfSide - 1; y <= c.Y + kFocusHalfSide - 1; ++y)
            for (int x = c.X - kFocusHalfSide; x <= c.X + kFocusHalfSide; ++x)
                peak = std::max(peak, Pixel(buffer, width, height, x, y));
        return peak;
    }
    for (int y0 = c.Y - kFocusHalfSide - 1; y0 <= c.Y + kFocusHalfSide - 1; ++y0)
        for (int x0 = c.X - kFocusHalfSide - 1; x0 <= c.X + kFocusHalfSide - 1; ++x0) {
            const int sum = Pixel(buffer, width, height, x0, y0) +
                            Pixel(buffer, width, height, x0 + 1, y0) +
                            Pixel(buffer, width, height, x0, y0 + 1) +
                            Pixel(buffer, width, height, x0 + 1, y0 + 1);
            peak = std::max(peak, sum / 4);
        }
    return peak;
}

QString FocusPeakText(int peak) {
    return QStringLiteral("%1").arg(peak, 3, 10, QLatin1Char('0'));
}

QRect FocusPreviewArea(FocusPoint centre) {
    return {centre.X - kFocusHalfSide, centre.Y - kFocusHalfSide, kFocusSide, kFocusSide};
}

QImage FocusPreviewImage(const FrameBitmap& frame, FocusPoint centre, QSize target) {
    QImage area(kFocusSide, kFocusSide, QImage::Format_RGB32);
    area.fill(Qt::black);
    const QRect from = FocusPreviewArea(centre);
    const bool colour = frame.Format == PixelFormat::Bgr24;
    for (int y = 0; y < kFocusSide; ++y) {
        const int py = from.top() + y;
        if (py < 0 || py >= frame.Height)
            continue;
        const std::uint8_t* row = frame.PictureRow(py);
        auto* out = reinterpret_cast<QRgb*>(area.scanLine(y));
        for (int x = 0; x < kFocusSide; ++x) {
            const int px = from.left() + x;
            if (px < 0 || px >= frame.Width)
                continue;
            if (colour) {
                const std::uint8_t* p = row + 3 * px;
                out[x] = qRgb(p[2], p[1], p[0]);
            } else {
                const int grey = frame.Colors[row[px]];
                out[x] = qRgb(grey, grey, grey);
            }
        }
    }
    return area.scaled(target, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

} // namespace orbicap
