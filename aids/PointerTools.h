#pragma once

#include "pipeline/FocusAid.h"

namespace orbicap {

enum class PointerTool { None, Focus, Roddier, Measure };
enum class PointerButton { Left, Right, Middle };

struct ImagePoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const ImagePoint&, const ImagePoint&) = default;
};

// What a press on the live image asks of the tools, decided from the checked
// tool, whether the Roddier window is shown and whether a recording runs.
struct PressActions {
    bool AddRoddierPoint = false;
    bool MoveRefCircle = false;
    bool PickFocusCentre = false;
    bool StartMeasurement = false;
    friend bool operator==(const PressActions&, const PressActions&) = default;
};

PressActions DecidePress(PointerTool checked, bool roddierShown, PointerButton button,
                         bool recording);

// Round to the nearest integer, ties to even (the default rounding mode).
int RoundEven(double v);

// An image position in frame pixels (position x 100 div zoom).
ImagePoint ImageToFrame(ImagePoint image, int zoomPercent);

// The focus centre for a press at image point at, on an image of
// imageWidth x imageHeight at zoomPercent: in frame pixels, kept 30 pixels
// inside the frame so the focus area stays clear of its edges.
FocusPoint PickFocusCentre(ImagePoint at, int imageWidth, int imageHeight, int zoomPercent);

// A point on an overlay shape (its own coordinates) as an image point, given
// where the shape and the image lie in the scroll area.
ImagePoint ShapeToImage(ImagePoint onShape, ImagePoint shapeOrigin, ImagePoint imageOrigin);

} // namespace orbicap
