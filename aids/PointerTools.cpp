#include "aids/PointerTools.h"

#include <algorithm>
#include <cmath>

namespace orbicap {

namespace {
constexpr int kFocusPickMargin = 30;
}

PressActions DecidePress(PointerTool checked, bool roddierShown, PointerButton button,
                         bool recording) {
    PressActions act;
    if (roddierShown) {
        if (button == PointerButton::Left)
            act.AddRoddierPoint = true;
        else if (button == PointerButton::Right) {
            if (recording)
                return act;
            act.MoveRefCircle = true;
        }
    }
    if (checked == PointerTool::Focus) {
        if (button == PointerButton::Left && !recording)
            act.PickFocusCentre = true;
        return act;
    }
    if (checked == PointerTool::Measure)
        act.StartMeasurement = true;
    return act;
}

int RoundEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

ImagePoint ImageToFrame(ImagePoint image, int zoomPercent) {
    return {image.X * 100 / zoomPercent, image.Y * 100 / zoomPercent};
}

FocusPoint PickFocusCentre(ImagePoint at, int imageWidth, int imageHeight, int zoomPercent) {
    const ImagePoint f = ImageToFrame(at, zoomPercent);
    const ImagePoint size = ImageToFrame({imageWidth, imageHeight}, zoomPercent);
    int fx = std::max(f.X, kFocusPickMargin);
    int fy = std::max(f.Y, kFocusPickMargin);
    fx = std::min(fx, size.X - kFocusPickMargin);
    fy = std::min(fy, size.Y - kFocusPickMargin);
    return {fx, fy};
}

ImagePoint ShapeToImage(ImagePoint onShape, ImagePoint shapeOrigin, ImagePoint imageOrigin) {
    return {onShape.X + shapeOrigin.X - imageOrigin.X, onShape.Y + shapeOrigin.Y - imageOrigin.Y};
}

} // namespace orbicap
