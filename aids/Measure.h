#pragma once

#include "aids/PointerTools.h"

#include <QImage>
#include <QPointF>
#include <QString>

#include <optional>
#include <vector>

namespace orbicap {

// The measurement line and the brightness axis of its profile, in image
// coordinates of the display picture.
struct MeasureState {
    bool MeasureDragging = false;
    ImagePoint LineStart{-1, 0}; // X = -1: no line
    ImagePoint LineEnd{0, 0};
    bool HasLine() const { return LineStart.X != -1; }
};

// The line length with the squares taken in 32-bit integers.
double LineLength(ImagePoint from, ImagePoint to);

// "Distance %3.1f pixels".
QString DistanceText(double pixels);

// The focal length field read as millimetres; below 10 (an empty or unreadable
// field included) it counts as 1, and the field is to show that value.
double FocalLengthMm(const QString& field);

// The length in arc seconds for 6 um pixels at focalLengthMm, written as
// "%5.1f arc seconds (%2d° %2d' %2.1f)".
QString ArcSecondsText(double pixels, double focalLengthMm);

// The brightness axis of the profile chart with its hysteresis: a bound moves
// to a new candidate only on the third profile that disagrees in the same
// direction. 999 means unset.
struct ProfileAxis {
    int Low = 999;
    int High = 999;
    int HighDownCount = 0;
    int HighUpCount = 0;
    int LowDownCount = 0;
    int LowUpCount = 0;
    void Reset() { *this = ProfileAxis(); }
    // Takes the candidates of one profile whose samples ran from lo to hi.
    void Follow(int lo, int hi);
};

// One sampled profile: chart points (abscissa, brightness) and the x scale end.
struct Profile {
    std::vector<QPointF> Points; // the first is the pen's start
    int XEnd = 0;
    int Low = 0;  // lowest sample
    int High = 0; // highest sample
};

// The brightness at (x, y) of the display picture: its red component (the
// grey of a grey picture); a point outside the picture reads 255.
int ProfileSample(const QImage& picture, int x, int y);

// Samples the picture along the line: the start at abscissa 1, then steps of
// at most one pixel along the longer side, rounded to the nearest pixel (ties
// to even), until a step lies within one pixel of the end in both directions.
// Start equal to end gives no profile.
std::optional<Profile> SampleProfile(const QImage& picture, ImagePoint from, ImagePoint to);

} // namespace orbicap
