#pragma once

#include "pipeline/FrameBitmap.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>

namespace orbicap {

// Centre of the magnified focus area in picture coordinates of the frame.
struct FocusPoint {
    int X = -1; // -1: no centre picked yet; the frame centre is used
    int Y = 0;
    bool IsSet() const { return X != -1; }
    friend bool operator==(const FocusPoint&, const FocusPoint&) = default;
};

// Half the side of the 41 x 41 focus area.
constexpr int kFocusHalfSide = 20;
constexpr int kFocusSide = 2 * kFocusHalfSide + 1;

// The centre to use for a frame of width x height: the frame centre while
// none is picked, else the picked centre held far enough from the edges
// (21 pixels) that the peak and the preview areas read only inside the frame
// after a change to a smaller frame. Frames too small to hold the areas give
// the frame centre.
FocusPoint EffectiveFocusCentre(FocusPoint picked, int width, int height);

// The highest sample of the focus area in 8-bit pixels in buffer order. Grey:
// picture columns cx - 20 .. cx + 20 and rows cy - 21 .. cy + 19. Colour: the
// means (sum div 4) of the 2 x 2 mosaic blocks whose top-left corners run over
// x0 = cx - 21 .. cx + 19, y0 = cy - 21 .. cy + 19. The rows are one above
// those of the preview on purpose, as the readout has always been taken.
int FocusPeak(const std::uint8_t* buffer, int width, int height, FocusPoint centre, bool colour);

// "%.3d": at least three digits with leading zeros.
QString FocusPeakText(int peak);

// The picture area that the preview magnifies: 41 x 41 with its top-left
// corner at (cx - 20, cy - 20).
QRect FocusPreviewArea(FocusPoint centre);

// The preview area of the frame as drawn for the display (palette or
// demosaic and overlay applied), enlarged to target by pixel repetition.
QImage FocusPreviewImage(const FrameBitmap& frame, FocusPoint centre, QSize target);

} // namespace orbicap
