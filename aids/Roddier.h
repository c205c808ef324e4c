#pragma once

#include "aids/PointerTools.h"

#include <QString>

#include <array>
#include <optional>

namespace orbicap {

// The circle through three points, in image coordinates.
struct CircleFit {
    double CentreX = 0;
    double CentreY = 0;
    double Radius = 0;
};

// Through A, B and C by determinants in double precision; none when the
// points are collinear or two of them coincide.
std::optional<CircleFit> FitCircle(ImagePoint a, ImagePoint b, ImagePoint c);

// "c=%3.0f,%3.0f" and "r=%3.0f", or the dashed texts without a fit.
QString CentreText(const std::optional<CircleFit>& fit);
QString RadiusText(const std::optional<CircleFit>& fit);

// The three points of the Roddier aid: each new point pushes the oldest out,
// and the first point of a triple clears the other two back to "000" (0).
struct RoddierPoints {
    std::array<ImagePoint, 3> Points{}; // A, B, C, oldest first
    int Count = 0;                      // points taken in the current triple, 0..2
    // Takes a point; true when it completed a triple (the circle is to be fitted).
    bool Add(ImagePoint p);
};

// "Use as Ref": a fitted radius as the size track bar holds it.
int ReferenceRadius(int fittedRadius);
constexpr int kRefRadiusMin = 30;
constexpr int kRefRadiusMax = 300;

} // namespace orbicap
